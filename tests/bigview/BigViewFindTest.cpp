// TBigView::Find: the line store's search, started from and reporting display positions; a match
// selected and shown, and the other matches marked.
#include <gtest/gtest.h>

#include <QBuffer>
#include <vector>

#include "bigview/Bigview.h"
#include "model/BvFind.h"
#include "support/ViewPixels.h"

namespace {

// The view shown, its lines wrapped at `wrap` bytes.
void Show(TBigView& v, int wrap, const std::vector<TBvText>& lines)
{
    v.resize(300, 200);
    v.show();
    v.SetWrapByte(wrap);
    v.LinesAssign(lines);
}

}  // namespace

TEST(BigViewFind, SearchesFileLinesFromADisplayPosition)
{
    TBigView v;
    // Display lines: 0 "xAB", 1 "abcd", 2 "efgh", 3 "q".
    Show(v, 4, {TBvText("xAB"), TBvText("abcdefgh"), TBvText("q")});
    ASSERT_EQ(v.GetCount(), 4);
    v.SetViewLineStart(1);
    const TPoint selStart = v.SelStart(), selEnd = v.SelEnd();
    struct Case {
        const char* text;
        int line, column;
        bool found;
        int toLine, toColumn;
    } cases[] = {
        {"ab", 0, 1, true, 0, 2},    // without case, from the first byte
        {"ab", 0, 3, true, 1, 1},    // past the match: on to the next file line
        {"fg", 0, 1, true, 2, 2},    // a match in the second piece of a file line
        {"de", 1, 1, true, 1, 4},    // the store's lines are not cut at the wrap point
        {"gh", 2, 1, true, 2, 3},    // a start inside the second piece
        {"xab", 99, 5, true, 0, 1},  // a start outside the display lines: from the beginning
        {"zz", 0, 1, false, 4, 1},   // not found: the end of the text
        {"", 2, 3, false, 2, 3},     // the empty text leaves the position where it was
    };
    for (const Case& c : cases) {
        int line = c.line, column = c.column;
        EXPECT_EQ(v.Find(TBvText(c.text), line, column), c.found) << c.text;
        EXPECT_EQ(line, c.toLine) << c.text;
        EXPECT_EQ(column, c.toColumn) << c.text;
    }
    EXPECT_EQ(v.ViewLineStart(), 1);
    EXPECT_EQ(v.SelStart(), selStart);
    EXPECT_EQ(v.SelEnd(), selEnd);
}

namespace {

int Luma(TColor c) { return (299 * int(c & 0xFF) + 587 * int((c >> 8) & 0xFF) + 114 * int((c >> 16) & 0xFF)) / 1000; }

}  // namespace

// The mark's colour on light, dark and coloured backgrounds: the text stays legible on it, and it
// is neither the background nor the selection's inverted one.
TEST(BigViewFind, TheMarkColourIsLegibleAndItsOwn)
{
    const std::pair<TColor, TColor> pairs[] = {
        {clBlack, clWhite},   {clWhite, clBlack},   {0x000000, 0xC0FFFF}, {0xFFFF00, 0x800000},
        {0x00FF00, 0x000000}, {0x303030, 0xE0E0E0}, {0x808080, 0x7F7F7F},
    };
    for (const auto& [font, back] : pairs) {
        const TColor mark = TBigView::MarkColor(font, back);
        const int contrast = std::abs(Luma(font) - Luma(back));
        EXPECT_GE(std::abs(Luma(font) - Luma(mark)) * 10, contrast * 7) << std::hex << font << " on " << back;
        if (contrast < 40) continue;  // text barely legible on its own background
        EXPECT_NE(mark, back) << std::hex << font << " on " << back;
        EXPECT_NE(mark, back ^ 0xFFFFFF) << std::hex << font << " on " << back;
        EXPECT_GE(std::abs(Luma(mark) - Luma(back ^ 0xFFFFFF)), 40) << std::hex << font << " on " << back;
    }
}

// SelectAndShow selects and scrolls; the marks colour every other match on the rows drawn,
// matches split by the wrap on both rows, and go with another text.
TEST(BigViewFind, MarksEveryOtherMatchOnViewUntilAnotherText)
{
    TBigView v;
    // Display lines: 0 "top", 1 "abc ab", 2 "c abc", 3 "xabc".
    Show(v, 6, {TBvText("top"), TBvText("abc abc abc"), TBvText("xabc")});
    ASSERT_EQ(v.GetCount(), 4);
    const QRgb bg = ToQColor(v.Color()).rgb(), mark = ToQColor(TBigView::MarkColor(v.FontColor(), v.Color())).rgb();
    v.SelectAndShow(TDispPos{1, 1}, TDispPos{4, 1}, nullptr);
    EXPECT_EQ(v.ViewLineStart(), 1);
    EXPECT_EQ(TDispPos(v.SelStart()), (TDispPos{1, 1}));
    EXPECT_EQ(TDispPos(v.SelEnd()), (TDispPos{4, 1}));
    EXPECT_EQ(CellPixel(v, 1, 4), bg);
    v.SelectAndShow(TDispPos{1, 1}, TDispPos{4, 1}, std::make_shared<TBvFind>("ABC", false));
    ASSERT_NE(v.FindMarks(), nullptr);
    EXPECT_EQ(CellPixel(v, 1, 0), bg ^ 0xFFFFFFu);  // the selected match: inverted, not marked
    EXPECT_EQ(CellPixel(v, 1, 3), bg);              // between matches
    EXPECT_EQ(CellPixel(v, 1, 4), mark);            // split by the wrap: its first row ...
    EXPECT_EQ(CellPixel(v, 2, 0), mark);            // ... and the next
    EXPECT_EQ(CellPixel(v, 2, 1), bg);
    EXPECT_EQ(CellPixel(v, 2, 2), mark);
    EXPECT_EQ(CellPixel(v, 3, 1), mark);
    EXPECT_EQ(CellPixel(v, 3, 0), bg);
    // Rows scrolled into view are marked as they are drawn.
    v.SetViewLineStart(0);
    EXPECT_EQ(CellPixel(v, 2, 2), mark);
    // Cleared; then another text drops them too.
    v.SetFindMarks(nullptr);
    EXPECT_EQ(CellPixel(v, 2, 2), bg);
    v.SetFindMarks(std::make_shared<TBvFind>("ABC", false));
    EXPECT_EQ(CellPixel(v, 2, 2), mark);
    QByteArray bytes("abc abc\r\n");
    QBuffer other(&bytes);
    other.open(QIODevice::ReadOnly);
    v.LoadFromStream(other);
    EXPECT_EQ(v.FindMarks(), nullptr);
    EXPECT_EQ(CellPixel(v, 0, 4), bg);
}
