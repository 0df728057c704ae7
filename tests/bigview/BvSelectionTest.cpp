// The selection's rules without a widget: positions kept within the display lines, what the
// pointer's presses and double clicks do, the scrolling of a drag pass, the word of a double
// click in every encoding held.
#include "bigview/BvSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/BvLines.h"
#include "model/BvStrings.h"
#include "support/CellMeasure.h"

namespace {

TDispPos P(int x, int y) { return TDispPos(TPoint{x, y}); }

struct Lines {
    TBvStrings store;
    CellMeasure measure;
    TBvLines lines{store, measure};
    explicit Lines(std::vector<std::string> text, TCharset charset = TCharset::Cp932)
    {
        measure.client = 1000;  // no line wraps: display lines are the file lines
        store.SetSource({charset, false});
        for (const auto& l : text) store.Add(TBvText(std::string_view(l)));
        lines.CalcBvLines(0);
    }
};

TEST(BvSelection, PositionsAreKeptWithinTheDisplayLines)
{
    Lines t({"abc", "", "\x82\xa0\x82\xa2"});  // あい in code page 932
    TBvSelection sel(t.lines);
    const struct {
        TDispPos in, out;
        // clang-format off
    } cases[] = {
        {P(2, 0), P(2, 0)},    {P(4, 0), P(4, 0)},   {P(9, 0), P(4, 0)},       {P(-3, 0), P(0, 0)},
        {P(5, 1), P(1, 1)},    {P(3, 2), P(3, 2)},   {P(7, 2), P(5, 2)},       {P(2, 3), P(2, 2)},
        {P(9, 99), P(5, 2)},   {P(1, -1), P(0, 0)},  {P(1, INT32_MIN), P(0, 0)}, {P(INT32_MAX, INT32_MAX), P(5, 2)},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(sel.Normalise(c.in), c.out) << c.in.X << "," << c.in.Y;
        sel.SetStart(c.in);
        EXPECT_EQ(sel.Start(), c.out);
        sel.SetEnd(c.in);
        EXPECT_EQ(sel.End(), c.out);
        EXPECT_EQ(sel.Caret(), c.out) << "the end carries the caret";
    }

    Lines none({});
    TBvSelection empty(none.lines);
    EXPECT_EQ(empty.Normalise(P(3, 0)), P(0, 0));
}

TEST(BvSelection, LimitKeepsValidPositionsAndClampsTheRestAfterTheLinesChange)
{
    Lines t({"abcdef", "ghij", "kl"});
    TBvSelection sel(t.lines);
    sel.SetStart(P(5, 0));
    sel.SetEnd(P(3, 2));
    sel.SetCaret(P(3, 1));
    t.store.Delete(2);
    t.store.Put(0, TBvText(std::string_view("ab")));
    t.lines.CalcBvLines(0);
    sel.Limit();
    EXPECT_EQ(sel.Start(), P(3, 0));
    EXPECT_EQ(sel.End(), P(3, 1));
    EXPECT_EQ(sel.Caret(), P(3, 1)) << "still valid, so it stays";
}

TEST(BvSelection, AnEmptySelectionFollowsTheViewAndAMadeOneStays)
{
    Lines t({"a", "b", "c", "d", "e", "f", "g", "h"});
    const struct {
        const char* name;
        TDispPos start, end;
        int top, bottom;
        TDispPos wantStart, wantEnd, wantCaret;
    } cases[] = {
        {"empty, above the view", P(2, 1), P(2, 1), 3, 6, P(2, 3), P(2, 3), P(2, 3)},
        {"empty, below the view", P(1, 7), P(1, 7), 3, 6, P(1, 6), P(1, 6), P(1, 6)},
        {"empty, on view", P(2, 4), P(2, 4), 3, 6, P(2, 4), P(2, 4), P(2, 4)},
        {"made, off the view", P(1, 0), P(2, 1), 3, 6, P(1, 0), P(2, 1), P(2, 1)},
    };
    for (const auto& c : cases) {
        TBvSelection sel(t.lines);
        sel.SetStart(c.start);
        sel.SetEnd(c.end);
        sel.SetCaret(P(1, 5));
        sel.FollowView(c.top, c.bottom);
        EXPECT_EQ(sel.Start(), c.wantStart) << c.name;
        EXPECT_EQ(sel.End(), c.wantEnd) << c.name;
        EXPECT_EQ(sel.Caret(), c.wantCaret) << c.name;
    }

    TBvSelection sel(t.lines);
    sel.SetCaret(P(1, 5));
    sel.CaretToEnd();
    EXPECT_EQ(sel.Caret(), P(1, 5)) << "nothing selected: the caret stays";
    sel.SetStart(P(1, 2));
    sel.SetEnd(P(2, 3));
    sel.SetCaret(P(1, 5));
    sel.CaretToEnd();
    EXPECT_EQ(sel.Caret(), P(2, 3));
}

// Presses as the view's pointer events give them: P a left press, R a right press, C a release
// over the view (the drag ends, the click is completed), D the second press of a double click
// (its DblClick).
TEST(BvSelection, PressesClicksAndDoubleClicksDecideWhatTheLeftButtonDoes)
{
    Lines t({"abc"});
    using A = TPressAction;
    const struct {
        const char* events;
        bool enabled;
        std::vector<A> actions;  // of each press, in order
        bool dragging;           // after the last press
    } cases[] = {
        {"P", true, {A::Anchor}, true},
        {"P", false, {A::Anchor}, false},
        {"PCDP", true, {A::Anchor, A::Word}, false},
        {"PCDP", false, {A::Anchor, A::None}, false},
        {"PCDPP", true, {A::Anchor, A::Word, A::Anchor}, true},
        {"DR", true, {A::None}, false},
        {"DRP", true, {A::None, A::Anchor}, true},
        {"DCP", true, {A::Anchor}, true},
    };
    for (const auto& c : cases) {
        TBvSelection sel(t.lines);
        sel.SetEnabled(c.enabled);
        std::vector<A> got;
        for (const char* e = c.events; *e; ++e) {
            if (*e == 'P' || *e == 'R') got.push_back(sel.Press(*e == 'P'));
            if (*e == 'C') {
                sel.EndDrag();
                sel.Click();
            }
            if (*e == 'D') {
                sel.DoubleClick();
                EXPECT_EQ(sel.ClickKind(), TClickKind::Double);
            }
        }
        EXPECT_EQ(got, c.actions) << c.events << " enabled " << c.enabled;
        EXPECT_EQ(sel.Dragging(), c.dragging) << c.events;
        EXPECT_EQ(sel.ClickKind(), TClickKind::Single) << "every press ends a double click";
    }
}

TEST(BvSelection, ADragNotesThePointerAndEachPassScrollsTowardsIt)
{
    Lines t({"abc"});
    TBvSelection sel(t.lines);
    EXPECT_FALSE(sel.DragTo(5, 5)) << "no drag yet";
    sel.Press(true);
    const struct {
        int x, y;
        bool lastShown;
        int lines, columns;
        // clang-format off
    } cases[] = {
        {10, 10, false, 0, 0},  {10, -1, false, -1, 0}, {10, -1, true, -1, 0},   {10, 101, false, 1, 0},
        {10, 101, true, 0, 0},  {10, 100, false, 0, 0}, {-1, 10, false, 0, -1},  {201, 10, false, 0, 1},
        {200, 10, false, 0, 0}, {-5, -5, false, -1, -1}, {300, 300, true, 0, 1}, {0, 0, false, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        ASSERT_TRUE(sel.DragTo(c.x, c.y));
        const auto s = sel.DragScroll(200, 100, c.lastShown);
        EXPECT_EQ(s.lines, c.lines) << c.x << "," << c.y << " last shown " << c.lastShown;
        EXPECT_EQ(s.columns, c.columns) << c.x << "," << c.y;
        EXPECT_EQ(s.Any(), c.lines != 0 || c.columns != 0);
    }
    ASSERT_TRUE(sel.DragTo(7, 8));
    sel.EndDrag();
    EXPECT_FALSE(sel.DragTo(1, 1)) << "the drag has ended";
    EXPECT_EQ(sel.DragX(), 7);
    EXPECT_EQ(sel.DragY(), 8);
}

TEST(BvSelection, TheWordOfADoubleClickInEveryEncoding)
{
    const struct {
        const char* name;
        TCharset charset;
        std::string line;
        int x;            // the byte column pointed at
        int first, last;  // the span selected
        // clang-format off
    } cases[] = {
        {"a word, from its middle", TCharset::Cp932, "ab_c9 x", 3, 1, 6},
        {"a word, from its last byte", TCharset::Cp932, "ab_c9 x", 5, 1, 6},
        {"a space alone", TCharset::Cp932, "ab cd", 3, 3, 4},
        {"punctuation alone", TCharset::Cp932, "ab..cd", 4, 4, 5},
        {"past the end", TCharset::Cp932, "ab", 3, 3, 4},
        {"a two-byte character, its lead", TCharset::Cp932, "a\x82\xa0z", 2, 2, 4},
        {"a two-byte character, its trail", TCharset::Cp932, "a\x82\xa0z", 3, 2, 4},
        // ア is 83 41: its trail byte is 'A', which is no word byte of the run after it.
        {"a word after a trail byte that is a letter", TCharset::Cp932, "\x83\x41" "bc", 3, 3, 5},
        {"a word before a two-byte character", TCharset::Cp932, "ab\x83\x41", 1, 1, 3},
        {"a half-width katakana is a character of its own", TCharset::Cp932, "a\xb1z", 2, 2, 3},
        {"EUC-JP: a two-byte character", TCharset::EucJp, "x\xa4\xa2y", 3, 2, 4},
        {"EUC-JP: a three-byte character", TCharset::EucJp, "x\x8f\xb0\xa1y", 4, 2, 5},
        {"EUC-JP: a word", TCharset::EucJp, "\xa4\xa2word\xa4\xa2", 5, 3, 7},
        {"UTF-8: a three-byte character", TCharset::Utf8, "a\xe3\x81\x82z", 4, 2, 5},
        {"UTF-8: a character with a combining mark", TCharset::Utf8, "e\xcc\x81x", 1, 1, 4},
        {"UTF-8: a word around a character", TCharset::Utf8, "\xe3\x81\x82word", 5, 4, 8},
        {"UTF-8: a byte that is no character", TCharset::Utf8, "ab\xffz", 3, 3, 4},
    };
    // clang-format on
    for (const auto& c : cases) {
        Lines t({c.line}, c.charset);
        const auto [first, last] = TBvSelection::WordAt(t.lines.Get(0), t.lines.Encoding(), c.x);
        EXPECT_EQ(first, c.first) << c.name;
        EXPECT_EQ(last, c.last) << c.name;

        TBvSelection sel(t.lines);
        ASSERT_TRUE(sel.SelectWord(TPoint{c.x, 0})) << c.name;
        EXPECT_EQ(sel.Start(), sel.Normalise(P(c.first, 0))) << c.name;
        EXPECT_EQ(sel.End(), sel.Normalise(P(c.last, 0))) << c.name;
        EXPECT_EQ(sel.Caret(), sel.End()) << c.name;
    }
}

TEST(BvSelection, NoWordIsSelectedWhenSelectingIsOffOrThereIsNothingToPointAt)
{
    Lines t({"abc"});
    TBvSelection sel(t.lines);
    sel.SetStart(P(2, 0));
    sel.SetEnd(P(3, 0));
    EXPECT_FALSE(sel.SelectWord(TPoint{0, 0})) << "no column";
    sel.SetEnabled(false);
    EXPECT_FALSE(sel.SelectWord(TPoint{2, 0})) << "selecting off";
    EXPECT_EQ(sel.Start(), P(2, 0));
    EXPECT_EQ(sel.End(), P(3, 0));

    Lines none({});
    TBvSelection nothing(none.lines);
    EXPECT_FALSE(nothing.SelectWord(TPoint{1, 0}));
}

}  // namespace
