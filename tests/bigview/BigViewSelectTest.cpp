// Pointing, selecting and copying, driven by real Qt mouse and key events on the offscreen
// platform. The view font is IPAGothic 12 px: 6 px per byte, rows 13 px, text from x = 4.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bigview/Bigview.h"
#include "support/EncodingOracle.h"
#include "support/JapaneseText.h"

using namespace std::string_view_literals;

namespace {

constexpr int kCw = 6, kLh = 13;

class SelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.SetViewFont(TViewFont::DefaultViewFont());
        view.resize(400, 300);
        view.show();
        QApplication::setActiveWindow(&view);
    }
    void TearDown() override
    {
        // QTest remembers held buttons across tests.
        QTest::mouseRelease(&view, Qt::LeftButton, {}, Px(1, 1));
    }

    void Load(std::vector<std::string_view> lines)
    {
        std::vector<TBvText> t(lines.begin(), lines.end());
        view.LinesAssign(t);
    }
    void LoadNumbered(int n)
    {
        std::vector<TBvText> t;
        for (int i = 0; i < n; ++i) t.emplace_back("line " + std::to_string(i));
        view.LinesAssign(t);
    }
    // Client pixel to widget pixel.
    QPoint Px(int x, int y) const { return view.ClientRect().topLeft() + QPoint(x, y); }
    // The middle of column col (1-based) in visible row row.
    QPoint Cell(int col, int row) const
    {
        return Px(TBigView::LeftMargin + kCw * (col - 1) + kCw / 2, kLh * row + kLh / 2);
    }

    void Press(QPoint p) { QTest::mousePress(&view, Qt::LeftButton, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(&view, p); }
    void Release(QPoint p) { QTest::mouseRelease(&view, Qt::LeftButton, {}, p); }
    void DoubleClick(QPoint p)
    {
        QTest::mouseClick(&view, Qt::LeftButton, {}, p);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, p);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, p);
    }
    // Makes the next SetViewLineStart that satisfies cond post ev to the view, once.
    void PostWhen(std::function<bool(TBigView*)> cond, QEvent* ev)
    {
        auto pending = std::make_shared<QEvent*>(ev);
        view.OnViewLineChanged = [cond, pending](TBigView* v) {
            if (*pending && cond(v)) {
                QCoreApplication::postEvent(v, *pending);
                *pending = nullptr;
            }
        };
    }
    QMouseEvent* MouseEvent(QEvent::Type t, QPoint p, Qt::MouseButtons held)
    {
        return new QMouseEvent(t, p, view.mapToGlobal(p), t == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                               Qt::NoModifier);
    }
    // The map a drag left behind must be the one a full redraw makes.
    void ExpectMapAsRedrawn(const char* where)
    {
        const QImage shown = view.MapImage().copy();
        view.MapUpdate();
        EXPECT_TRUE(view.MapImage() == shown) << where;
    }
    void Select(TPoint a, TPoint b)
    {
        view.SetSelStart(a);
        view.SetSelEnd(b);
    }
    // The copied bytes; "<none>" for the -1 answer. Checks the bound and the terminating NUL.
    std::string Copy(int64_t* probe = nullptr)
    {
        const int64_t n = view.CopyToSelBuf(nullptr);
        if (probe) *probe = n;
        if (n < 0) return "<none>";
        std::string buf(size_t(n) + 8, '\x7f');
        const int64_t w = view.CopyToSelBuf(buf.data());
        EXPECT_LE(w, n);
        EXPECT_EQ(buf[size_t(w)], '\0');
        EXPECT_EQ(buf.substr(size_t(n) + 1), std::string(7, '\x7f')) << "written beyond the bound";
        return buf.substr(0, size_t(w));
    }

    TBigView view;
};

TEST_F(SelectTest, FontGivesTheCellsTheTestsCountIn)
{
    ASSERT_EQ(view.CharWidth(), kCw);
    ASSERT_EQ(view.LineHeight(), kLh);
    ASSERT_TRUE(view.ViewFont().CellGrid());
}

// ---- hit-testing ----

TEST_F(SelectTest, HitTestClampsAtMarginsLineEndsAndBelowTheText)
{
    Load({"abcdef", "xy", "", "last"});
    // The left margin and anything left of it give column 1.
    EXPECT_EQ(view.LocateOf(0, 3), (TPoint{1, 0}));
    EXPECT_EQ(view.LocateOf(-50, 3), (TPoint{1, 0}));
    // A byte's column reaches up to and including its right edge.
    EXPECT_EQ(view.LocateOf(4 + 6, 3), (TPoint{1, 0}));
    EXPECT_EQ(view.LocateOf(4 + 7, 3), (TPoint{2, 0}));
    // Right of the line's end: length + 1.
    EXPECT_EQ(view.LocateOf(300, kLh + 2), (TPoint{3, 1}));
    EXPECT_EQ(view.LocateOf(300, 2 * kLh + 2), (TPoint{1, 2}));
    // Below the last line, and beyond the map: the last line's end.
    EXPECT_EQ(view.LocateOf(5, 4 * kLh + 1), (TPoint{5, 3}));
    EXPECT_EQ(view.LocateOf(5, 5000), (TPoint{5, 3}));
    // Above the client area: column 1 of the top line.
    view.SetViewLineStart(2);
    EXPECT_EQ(view.LocateOf(200, -1), (TPoint{1, 2}));
    EXPECT_EQ(view.ByteLocateOf(200, -1), (TPoint{1, 2}));
}

TEST_F(SelectTest, HitTestCountsTheHorizontalScroll)
{
    view.SetWordWrap(false);
    view.SetScrollBar(ssBoth);
    Load({std::string(200, 'a'), "short"});
    view.SetScHPos(10);
    ASSERT_EQ(view.ScHPos(), 10);
    // The first visible byte is column 11; the margin now shows part of column 10.
    EXPECT_EQ(view.LocateOf(4 + 3, 3), (TPoint{11, 0}));
    EXPECT_EQ(view.LocateOf(0, 3), (TPoint{10, 0}));
    EXPECT_EQ(view.LocateOf(-100, 3), (TPoint{1, 0}));
    // A line shorter than the scrolled-away part: its end.
    EXPECT_EQ(view.LocateOf(4 + 3, kLh + 3), (TPoint{6, 1}));
}

TEST_F(SelectTest, HitTestOnBothBytesOfATwoByteCharacter)
{
    Load({"a\x82\xA0"
          "b"});  // a, HIRAGANA A (12 px), b
    // Left part of the character, within the width of the prefix that ends on its lead byte.
    EXPECT_EQ(view.LocateOf(4 + 6 + 3, 3), (TPoint{2, 0}));
    EXPECT_EQ(view.ByteLocateOf(4 + 6 + 3, 3), (TPoint{2, 0}));
    // Right part: LocateOf never gives the trail byte but the character after it.
    EXPECT_EQ(view.LocateOf(4 + 12 + 3, 3), (TPoint{4, 0}));
    EXPECT_EQ(view.ByteLocateOf(4 + 12 + 3, 3), (TPoint{3, 0}));
    // A press there starts the selection at that column.
    Press(Cell(3, 0));
    Release(Cell(3, 0));
    EXPECT_EQ(view.SelStart(), (TPoint{4, 0}));
}

TEST_F(SelectTest, EmptyViewGivesNoPositionWhateverThePointerDoes)
{
    EXPECT_EQ(view.LocateOf(10, 10), (TPoint{0, 0}));
    EXPECT_EQ(view.ByteLocateOf(10, 10), (TPoint{0, 0}));
    Press(Cell(2, 1));
    Move(Px(-30, -30));  // outside: the passes must not spin without a line to select
    Move(Px(50, 1000));
    Release(Px(50, 1000));
    EXPECT_EQ(view.SelStart(), (TPoint{0, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{0, 0}));
    EXPECT_FALSE(view.SelDragging());
    view.SelOfDblClk(10, 10);
    EXPECT_EQ(view.SelEnd(), (TPoint{0, 0}));
}

// The hit-test measures prefixes incrementally; it must agree with measuring every candidate
// prefix from the line's start, whatever the bytes: tabs, characters of several bytes, lone and
// ill-followed lead bytes, control bytes, lines longer than one measuring piece. The candidates
// are the characters' first bytes (held in kind; no characters of zero width here).
void ExpectRuleHolds(TBigView& view, const std::string& line, int stride, TBvEncoding::Kind kind = TBvEncoding::Cp932)
{
    view.SetSource({kind == TBvEncoding::Cp932   ? TCharset::Cp932
                    : kind == TBvEncoding::EucJp ? TCharset::EucJp
                                                 : TCharset::Utf8});
    std::vector<TBvText> t{TBvText(line)};
    view.LinesAssign(t);
    const int n = int(line.size());
    std::vector<int64_t> w(size_t(n) + 1);
    for (int i = 1; i <= n; ++i) w[size_t(i)] = view.TabbedTextWidth(line.data(), size_t(i));
    const std::vector<bool> starts = OracleCharStarts(kind, line);
    std::vector<bool> trail(size_t(n) + 2);
    for (int i = 1; i <= n; ++i) trail[size_t(i)] = !starts[size_t(i) - 1];
    const int64_t maxE = view.MapWidth();
    int mismatches = 0;
    for (int64_t px = 0; px <= maxE + 10 && mismatches < 5; px += (px < 400 ? 1 : stride)) {
        const int64_t e = std::min(std::max<int64_t>(px - TBigView::LeftMargin, 0), maxE);
        int wantLoc = n + 1, wantByte = n + 1;
        for (int i = 1; i <= n; ++i)
            if (w[size_t(i)] >= e) {
                wantByte = i;
                break;
            }
        for (int i = 1; i <= n; ++i)
            if (!trail[size_t(i)] && w[size_t(i)] >= e) {
                wantLoc = i;
                break;
            }
        const TPoint loc = view.LocateOf(int(px), 3), byte = view.ByteLocateOf(int(px), 3);
        if (loc.X != wantLoc || byte.X != wantByte) {
            ++mismatches;
            ADD_FAILURE() << "px " << px << ": LocateOf " << loc.X << " want " << wantLoc << ", ByteLocateOf " << byte.X
                          << " want " << wantByte;
        }
    }
}

std::string MixedLine(int bytes, unsigned seed)
{
    static const std::vector<std::string> parts = {
        "a",        "Z",    "\t",     "\t",       "\x82\xA0",           "\x88\x9F", "\x83\x41",
        "\x81\x81", "\xB1", "\x82\t", "\x82\x01", std::string("\0", 1), "\xFD",     "\xEB\x40" /* unassigned */,
        "\x82 ",    "  "};
    std::mt19937 rng(seed);
    std::string s;
    while (int(s.size()) < bytes) s += parts[rng() % parts.size()];
    return s + "\x82";  // ends on a lone lead byte
}

TEST_F(SelectTest, HitTestEqualsThePerCandidateRuleOnAnyBytes)
{
    view.SetWordWrap(false);
    ExpectRuleHolds(view, MixedLine(300, 1), 1);
    view.SetViewTabStop(0);
    ExpectRuleHolds(view, MixedLine(300, 2), 1);
    view.SetViewTabStop(3);
    ExpectRuleHolds(view, MixedLine(9000, 3), 5);  // several measuring pieces
}

TEST_F(SelectTest, HitTestEqualsThePerCandidateRuleInAProportionalFont)
{
    QFont f("IPAPGothic");
    f.setPixelSize(12);
    view.SetViewFont(f);
    ASSERT_FALSE(view.ViewFont().CellGrid());
    view.SetWordWrap(false);
    ExpectRuleHolds(view, MixedLine(300, 4), 1);
    ExpectRuleHolds(view, MixedLine(5000, 5), 3);
    // Long runs of two-byte characters: one straddles every place where a long line could be
    // cut, in one of the two alignments.
    std::string kana;
    for (int i = 0; i < 3000; ++i) kana += "\x82\xA0";
    ExpectRuleHolds(view, kana, 7);
    ExpectRuleHolds(view, "a" + kana, 7);
}

TEST_F(SelectTest, SetViewPosScrollsOnlyWhenThePositionIsOutOfView)
{
    view.SetWordWrap(false);
    view.SetScrollBar(ssBoth);
    std::vector<TBvText> t;
    for (int i = 0; i < 100; ++i) t.emplace_back(std::string(300, 'a' + i % 26));
    view.LinesAssign(t);
    EXPECT_FALSE(view.SetViewPos({5, 3}));
    EXPECT_TRUE(view.SetViewPos({1, 60}));
    EXPECT_GE(60, view.ViewLineStart());
    EXPECT_LE(60, view.ViewLineEnd());
    EXPECT_TRUE(view.SetViewPos({250, 60}));
    const int64_t x = int64_t(249) * kCw - int64_t(view.ScHPos()) * kCw;  // pixel offset of column 250 on view
    EXPECT_GE(x, 0);
    EXPECT_LE(x, view.ClientWidth());
    EXPECT_TRUE(view.SetViewPos({1, 60}));
    EXPECT_EQ(view.ScHPos(), 0);
    EXPECT_FALSE(view.SetViewPos({1, 100}));  // no such line
}

// ---- the mouse ----

TEST_F(SelectTest, PressDragReleaseSelectsAndFocuses)
{
    Load({"0123456789", "abcdefghij", "ABCDEFGHIJ"});
    Press(Cell(3, 0));
    EXPECT_TRUE(view.SelDragging());
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
    Move(Cell(5, 1));
    EXPECT_EQ(view.SelEnd(), (TPoint{5, 1}));
    EXPECT_EQ(view.CaretPos(), (TPoint{5, 1}));
    Release(Cell(7, 2));
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{7, 2}));
    EXPECT_TRUE(view.hasFocus());
    // Moves after the release select nothing more; a new press starts afresh.
    Move(Cell(1, 0));
    EXPECT_EQ(view.SelEnd(), (TPoint{7, 2}));
    Press(Cell(2, 1));
    EXPECT_EQ(view.SelStart(), (TPoint{2, 1}));
    EXPECT_EQ(view.SelEnd(), (TPoint{2, 1}));
}

TEST_F(SelectTest, DraggingBelowScrollsUntilTheLastLineIsShown)
{
    LoadNumbered(200);
    const int rows = view.ViewLines();
    ASSERT_GT(rows, 5);
    Press(Cell(2, 1));
    Move(Px(50, view.ClientHeight() + 30));  // returns once nothing is left to scroll
    EXPECT_EQ(view.ViewLineEnd(), 199);
    EXPECT_EQ(view.ViewLineStart(), 200 - rows);
    EXPECT_TRUE(view.SelDragging());
    EXPECT_EQ(view.SelEnd(), (TPoint{9, 199}));
    ExpectMapAsRedrawn("after scrolling down");
    Release(Px(50, view.ClientHeight() + 30));
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelStart(), (TPoint{2, 1}));
    EXPECT_EQ(view.SelEnd(), (TPoint{9, 199}));
}

TEST_F(SelectTest, DraggingAboveScrollsToTheFirstLineAndGoesOnUntilReleased)
{
    LoadNumbered(200);
    view.SetViewLineStart(50);
    Press(Cell(5, 2));
    int passesAtTop = 0;
    const QPoint above = Px(100, -20);
    QMouseEvent* release = MouseEvent(QEvent::MouseButtonRelease, above, Qt::NoButton);
    view.OnViewLineChanged = [&](TBigView* v) {
        if (v->ViewLineStart() == 0 && ++passesAtTop == 5) QCoreApplication::postEvent(v, release);
    };
    Move(above);
    view.OnViewLineChanged = nullptr;
    EXPECT_EQ(passesAtTop, 5);
    EXPECT_EQ(view.ViewLineStart(), 0);
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelStart(), (TPoint{5, 52}));
    EXPECT_EQ(view.SelEnd(), (TPoint{1, 0}));
    ExpectMapAsRedrawn("after scrolling up");
}

TEST_F(SelectTest, DragOverTheAnchorBothWaysShowsWhatARedrawShows)
{
    std::vector<TBvText> t;
    for (int i = 0; i < 120; ++i)
        t.emplace_back(i % 7 == 3 ? std::string()
                                  : "\x82\xA0\tx" + std::string(size_t(i % 40), 'w') + "\x8A\xBF" + std::to_string(i));
    view.LinesAssign(t);
    view.SetViewLineStart(40);
    Press(Cell(5, 10));
    const char* steps[] = {"down", "up over the anchor", "same line left", "same line right", "back down"};
    const QPoint to[] = {Cell(9, 15), Cell(2, 4), Cell(1, 10), Cell(30, 10), Cell(3, 19)};
    for (int i = 0; i < 5; ++i) {
        Move(to[i]);
        ExpectMapAsRedrawn(steps[i]);
    }
    // Scrolling passes both ways, ended after a few lines each.
    PostWhen([](TBigView* v) { return v->ViewLineStart() == 34; },
             MouseEvent(QEvent::MouseMove, Cell(7, 3), Qt::LeftButton));
    Move(Px(30, -4));
    EXPECT_EQ(view.ViewLineStart(), 34);
    ExpectMapAsRedrawn("scrolled up");
    PostWhen([](TBigView* v) { return v->ViewLineStart() == 50; },
             MouseEvent(QEvent::MouseButtonRelease, Cell(2, 18), Qt::NoButton));
    Move(Px(30, view.ClientHeight() + 4));
    EXPECT_EQ(view.ViewLineStart(), 50);
    EXPECT_FALSE(view.SelDragging());
    ExpectMapAsRedrawn("scrolled down and released");
}

TEST_F(SelectTest, DragPassesStopWhenThePointerComesBackOrAKeyIsReleased)
{
    LoadNumbered(200);
    Press(Cell(2, 1));
    PostWhen([](TBigView* v) { return v->ViewLineStart() == 3; },
             MouseEvent(QEvent::MouseMove, Cell(4, 10), Qt::LeftButton));
    Move(Px(50, view.ClientHeight() + 30));
    EXPECT_EQ(view.ViewLineStart(), 3);
    EXPECT_EQ(view.SelEnd(), (TPoint{4, 13}));
    EXPECT_TRUE(view.SelDragging());

    // Now above, until a key release ends the drag; the selection made so far stays.
    PostWhen([](TBigView* v) { return v->ViewLineStart() == 1; }, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, {}));
    Move(Px(50, -5));
    EXPECT_EQ(view.ViewLineStart(), 1);
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelEnd(), (TPoint{1, 1}));
    Release(Cell(8, 8));
    EXPECT_EQ(view.SelEnd(), (TPoint{1, 1}));
}

TEST_F(SelectTest, AKeyHeldDuringADragRepeatsWithoutEndingIt)
{
    LoadNumbered(200);
    Press(Cell(2, 1));
    // X11 delivers a held key's repeats as release and press pairs marked auto-repeat.
    view.OnViewLineChanged = [this](TBigView* v) {
        if (v->ViewLineStart() == 3)
            QCoreApplication::postEvent(v, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, {}, QString(), true));
        if (v->ViewLineStart() == 6)
            QCoreApplication::postEvent(v, MouseEvent(QEvent::MouseMove, Cell(4, 10), Qt::LeftButton));
    };
    Move(Px(50, view.ClientHeight() + 30));
    EXPECT_EQ(view.ViewLineStart(), 6);
    EXPECT_TRUE(view.SelDragging());
}

TEST_F(SelectTest, DraggingLeftScrollsHorizontally)
{
    view.SetWordWrap(false);
    view.SetScrollBar(ssBoth);
    Load({std::string(300, 'a'), std::string(300, 'b')});
    view.SetScHPos(4);
    Press(Cell(3, 0));
    EXPECT_EQ(view.SelStart(), (TPoint{7, 0}));
    QObject::connect(view.HScrollBar(), &QScrollBar::valueChanged, &view, [this](int v) {
        if (v == 0)
            QCoreApplication::postEvent(&view, MouseEvent(QEvent::MouseButtonRelease, Px(-10, kLh + 3), Qt::NoButton));
    });
    Move(Px(-10, kLh + 3));
    EXPECT_EQ(view.ScHPos(), 0);
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelEnd(), (TPoint{1, 1}));
}

TEST_F(SelectTest, SelectOffStillEmptiesTheSelectionAtThePress)
{
    Load({"x=foo_bar1;", "second line"});
    Select({1, 0}, {4, 1});
    view.SetSelect(false);
    Press(Cell(3, 0));
    EXPECT_FALSE(view.SelDragging());
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
    Move(Cell(6, 1));
    Release(Cell(6, 1));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
    QTest::mouseDClick(&view, Qt::LeftButton, {}, Cell(5, 0));
    Release(Cell(5, 0));
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
}

TEST_F(SelectTest, RightPressOpensThePopupAtThePointerAndKeepsTheSelection)
{
    Load({"0123456789"});
    Select({2, 0}, {6, 0});
    QMenu menu;
    menu.addAction("Copy");
    view.SetPopupMenu(&menu);
    const QPoint at = Cell(8, 0);
    QTest::mousePress(&view, Qt::RightButton, {}, at);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), view.mapToGlobal(at));
    QTest::mouseRelease(&view, Qt::RightButton, {}, at);
    menu.hide();
    EXPECT_EQ(view.SelStart(), (TPoint{2, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{6, 0}));
}

// ---- double click ----

TEST_F(SelectTest, DoubleClickSelectsAWordOneByteOrOneCharacter)
{
    // clang-format off
    Load({"x=foo_bar1;", "a\x82\xA0" "b", "", "ab"});
    // clang-format on
    for (int col = 3; col <= 10; ++col) {
        DoubleClick(Cell(col, 0));
        EXPECT_EQ(view.SelStart(), (TPoint{3, 0})) << col;
        EXPECT_EQ(view.SelEnd(), (TPoint{11, 0})) << col;
        EXPECT_FALSE(view.SelDragging());
    }
    DoubleClick(Cell(2, 0));  // '='
    EXPECT_EQ(view.SelStart(), (TPoint{2, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
    DoubleClick(Cell(1, 0));  // a word at the line's start
    EXPECT_EQ(view.SelStart(), (TPoint{1, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{2, 0}));
    // Either half of a two-byte character: that character alone.
    for (int col : {2, 3}) {
        DoubleClick(Cell(col, 1));
        EXPECT_EQ(view.SelStart(), (TPoint{2, 1})) << col;
        EXPECT_EQ(view.SelEnd(), (TPoint{4, 1})) << col;
    }
    // Past the line's end and on an empty line: an empty selection there.
    DoubleClick(Cell(20, 3));
    EXPECT_EQ(view.SelStart(), (TPoint{3, 3}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 3}));
    DoubleClick(Cell(4, 2));
    EXPECT_EQ(view.SelStart(), (TPoint{1, 2}));
    EXPECT_EQ(view.SelEnd(), (TPoint{1, 2}));
}

TEST_F(SelectTest, DoubleClickWordStopsAtTheTrailByteOfATwoByteCharacter)
{
    // KATAKANA A is 0x83 0x41: its trail byte is the letter 'A'. FULLWIDTH EQUALS 0x81 0x81 is a
    // pair of lead-range bytes, after which the letters start afresh.
    // clang-format off
    Load({"\x83\x41" "Abc def", "\x81\x81" "Ab", "\x83\x41\x83\x41" "Q"});
    // clang-format on
    DoubleClick(Cell(4, 0));
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{6, 0}));
    DoubleClick(Cell(4, 1));
    EXPECT_EQ(view.SelStart(), (TPoint{3, 1}));
    EXPECT_EQ(view.SelEnd(), (TPoint{5, 1}));
    DoubleClick(Cell(5, 2));
    EXPECT_EQ(view.SelStart(), (TPoint{5, 2}));
    EXPECT_EQ(view.SelEnd(), (TPoint{6, 2}));
    DoubleClick(Cell(2, 2));  // on the trail 'A' itself: the character
    EXPECT_EQ(view.SelStart(), (TPoint{1, 2}));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 2}));
}

// ---- every encoding ----

// Random Japanese text with bytes that are no character, written in an encoding.
std::string MixedText(TCharset c, int chars, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s;
    while (int(s.size()) < chars) s += Encode(c, RandomJapanese(rng, 20)) + (rng() % 2 ? "\xFF" : "\x80\t");
    return s;
}

TEST_F(SelectTest, HitTestEqualsThePerCandidateRuleInEveryEncoding)
{
    view.SetWordWrap(false);
    ExpectRuleHolds(view, MixedText(TCharset::EucJp, 400, 1), 1, TBvEncoding::EucJp);
    ExpectRuleHolds(view, MixedText(TCharset::Utf8, 400, 2) + "\xE3\x81", 1, TBvEncoding::Utf8);
    ExpectRuleHolds(view, MixedText(TCharset::Utf8, 5000, 3), 5, TBvEncoding::Utf8);  // several measuring pieces
    QFont f("IPAPGothic");
    f.setPixelSize(12);
    view.SetViewFont(f);
    ExpectRuleHolds(view, MixedText(TCharset::Utf8, 400, 4), 1, TBvEncoding::Utf8);
    ExpectRuleHolds(view, MixedText(TCharset::EucJp, 400, 5), 1, TBvEncoding::EucJp);
}

TEST_F(SelectTest, PointingAndDoubleClickTakeWholeCharactersInEveryEncoding)
{
    view.SetSource({TCharset::Utf8});
    // a 漢 b / e + a combining acute, x / 漢 abc 漢 / ｱ (three bytes, one cell)
    // clang-format off
    Load({"a\xE6\xBC\xA2" "b", "e\xCC\x81x", "\xE6\xBC\xA2" "abc\xE6\xBC\xA2", "\xEF\xBD\xB1" "z"});
    // clang-format on
    EXPECT_EQ(view.LocateOf(Cell(2, 0).x() - 2, Cell(2, 0).y()), (TPoint{2, 0}));  // the kanji's left half
    EXPECT_EQ(view.LocateOf(Cell(3, 0).x(), Cell(3, 0).y()), (TPoint{5, 0}));      // its right half: after it
    EXPECT_EQ(view.LocateOf(Cell(2, 1).x(), Cell(2, 1).y()), (TPoint{4, 1}));      // never between e and its mark
    for (int col : {2, 3}) {
        DoubleClick(Cell(col, 0));
        EXPECT_EQ(view.SelStart(), (TPoint{2, 0})) << col;
        EXPECT_EQ(view.SelEnd(), (TPoint{5, 0})) << col;
    }
    DoubleClick(Cell(1, 1));
    EXPECT_EQ(view.SelStart(), (TPoint{1, 1}));
    EXPECT_EQ(view.SelEnd(), (TPoint{4, 1}));
    DoubleClick(Cell(4, 2));  // a word between kanji
    EXPECT_EQ(view.SelStart(), (TPoint{4, 2}));
    EXPECT_EQ(view.SelEnd(), (TPoint{7, 2}));
    DoubleClick(Cell(1, 3));
    EXPECT_EQ(view.SelStart(), (TPoint{1, 3}));
    EXPECT_EQ(view.SelEnd(), (TPoint{4, 3}));
    // EUC-JP: a half-width katakana of two bytes, a JIS X 0212 character of three.
    view.SetSource({TCharset::EucJp});
    Load({"\x8E\xB1\x8F\xB0\xA1"
          "a"});
    DoubleClick(Cell(1, 0));
    EXPECT_EQ(view.SelEnd(), (TPoint{3, 0}));
    DoubleClick(Cell(3, 0));
    EXPECT_EQ(view.SelStart(), (TPoint{3, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{6, 0}));
}

TEST_F(SelectTest, TheSelectionOfAUtf8TextInvertsItsMeasuredSpan)
{
    view.SetSource({TCharset::Utf8});
    Load({"a\xE6\xBC\xA2"
          "b"});
    const QImage before = view.MapImage().copy();
    Select({2, 0}, {5, 0});
    view.MapUpdate();
    const QImage& after = view.MapImage();
    for (int y = 0; y < kLh; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= TBigView::LeftMargin + 6 && x < TBigView::LeftMargin + 18;
            ASSERT_EQ(after.pixel(x, y), inside ? (before.pixel(x, y) ^ 0x00FFFFFFu) : before.pixel(x, y))
                << x << "," << y;
        }
}

// ---- keys ----

TEST(SelectKeys, ArrowKeysStayWithTheView)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new TBigView;
    auto* edit = new QLineEdit;
    layout->addWidget(view);
    layout->addWidget(edit);
    auto* action = new QAction(&window);
    action->setShortcut(Qt::Key_Down);
    window.addAction(action);
    int triggered = 0;
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    window.show();
    QApplication::setActiveWindow(&window);
    view->setFocus();
    ASSERT_TRUE(view->hasFocus());

    for (int vk = 0x25; vk <= 0x28; ++vk) EXPECT_TRUE(view->CMWantSpecialKey(vk));
    for (int vk : {0x09, 0x0D, 0x24, 0x29}) EXPECT_FALSE(view->CMWantSpecialKey(vk));

    struct Spy : QObject {
        std::vector<int> keys;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress) keys.push_back(static_cast<QKeyEvent*>(e)->key());
            return false;
        }
    } spy;
    view->installEventFilter(&spy);
    for (Qt::Key k : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down})
        QTest::keyClick(static_cast<QWidget*>(nullptr), k);
    EXPECT_EQ(spy.keys, (std::vector<int>{Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}));
    EXPECT_TRUE(view->hasFocus());
    EXPECT_EQ(triggered, 0);
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);  // focus navigation itself still works
    EXPECT_TRUE(edit->hasFocus());
}

// ---- copying ----

class CopyTest : public SelectTest {
protected:
    void SetUp() override
    {
        SelectTest::SetUp();
        view.SetWrapByte(10);
        // Display lines: 0, 1 = file line 0 (wrapped at 10); 2 = empty; 3 = a lone LF inside;
        // 4 = a NUL inside; 5 = "xyz".
        Load({"0123456789abcdefghij", "", "ABC\nDEF", "nul\0here"sv, "xyz"});
        ASSERT_EQ(view.GetCount(), 6);
    }
};

TEST_F(CopyTest, PiecesComeFromFileLinesWithCrLfOnlyBetweenThem)
{
    Select({5, 0}, {3, 1});  // across the wrap point: no line break there
    EXPECT_EQ(Copy(), "456789ab");
    Select({3, 1}, {5, 0});  // backwards: the same
    EXPECT_EQ(Copy(), "456789ab");
    Select({11, 1}, {2, 3});  // from a line's end, over an empty line
    EXPECT_EQ(Copy(), "\r\n\r\nA");
    Select({4, 3}, {1, 5});  // to column 1: ends with the line break; LF and NUL kept as they are
    EXPECT_EQ(Copy(), "\nDEF\r\nnul\0here\r\n"sv);
    Select({1, 5}, {4, 3});
    EXPECT_EQ(Copy(), "\nDEF\r\nnul\0here\r\n"sv);
    Select({1, 0}, {4, 5});
    EXPECT_EQ(Copy(), "0123456789abcdefghij\r\n\r\nABC\nDEF\r\nnul\0here\r\nxyz"sv);
}

TEST_F(CopyTest, ProbeIsTheSizeBoundAndMinusOneForNothing)
{
    int64_t probe = 0;
    Select({1, 1}, {1, 2});  // ends on the empty line: its line break is counted, not written
    EXPECT_EQ(Copy(&probe), "abcdefghij\r\n");
    EXPECT_EQ(probe, 14);
    Select({2, 3}, {5, 3});
    EXPECT_EQ(Copy(&probe), "BC\n");
    EXPECT_EQ(probe, 3);
    // Two display positions, one file position: nothing to copy, but not "nothing selected".
    Select({11, 0}, {1, 1});
    EXPECT_EQ(Copy(&probe), "");
    EXPECT_EQ(probe, 0);
    Select({3, 4}, {3, 4});
    EXPECT_EQ(Copy(), "<none>");
    view.Clear();
    Select({1, 0}, {3, 0});
    EXPECT_EQ(Copy(), "<none>");
}

TEST_F(CopyTest, ClipboardGetsUnicodeAndTheRawBytesThenTheSelectionIsCleared)
{
    // clang-format off
    Load({"\x82\xA0\x82\xA2" "abc", "\x8A\xBF\x8E\x9A"});  // あいabc / 漢字
    // clang-format on
    Select({3, 0}, {3, 1});
    const int updates = int(view.RowsRendered());
    view.CopyToClipboard();
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text(), QString::fromUtf8("いabc\r\n漢"));
    EXPECT_EQ(m->data("text/plain;charset=Shift_JIS"), QByteArray("\x82\xA2"
                                                                  "abc\r\n\x8A\xBF"));
    EXPECT_EQ(view.SelStart(), (TPoint{0, 0}));
    EXPECT_EQ(view.SelEnd(), (TPoint{0, 0}));
    EXPECT_EQ(view.CaretPos(), (TPoint{0, 0}));
    EXPECT_EQ(int(view.RowsRendered()), updates) << "the caller redraws";
}

TEST_F(CopyTest, ClipboardTextEndsAtANulAndNothingIsCopiedForNoBytes)
{
    QGuiApplication::clipboard()->setText("before");
    Select({11, 0}, {1, 1});  // no bytes: clipboard and selection untouched
    view.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_EQ(view.SelStart(), (TPoint{11, 0}));
    Select({2, 4}, {1, 5});
    view.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ul");
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain;charset=Shift_JIS"), QByteArray("ul"));
}

// The clipboard's text is decoded from the text's encoding; the raw bytes go along under their
// encoding's name where the text holds a file's own bytes in an encoding of its own.
TEST_F(CopyTest, ClipboardTextIsDecodedFromTheTextsEncoding)
{
    const QString utf = QString::fromUtf8("한글😀é漢\tz");  // characters Shift-JIS lacks
    view.SetSource({TCharset::Utf8});
    Load({utf.toUtf8().toStdString(), "\xFFok"});
    Select({1, 0}, {3, view.ConvertIndexFromOrg(1)});  // the first file line is wrapped: ten columns a piece
    view.CopyToClipboard();
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text(), utf + QString::fromUtf16(u"\r\n\uFFFDo"));
    EXPECT_FALSE(m->hasFormat("text/plain;charset=Shift_JIS"));
    EXPECT_FALSE(m->hasFormat("text/plain;charset=EUC-JP"));

    view.SetSource({TCharset::EucJp});
    Load({"\xB4\xC1\x8E\xB1"
          "a"});
    Select({1, 0}, {6, 0});
    view.CopyToClipboard();
    m = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(m->text(), QString::fromUtf8("漢ｱa"));
    EXPECT_EQ(m->data("text/plain;charset=EUC-JP"), QByteArray("\xB4\xC1\x8E\xB1"
                                                               "a"));
    EXPECT_FALSE(m->hasFormat("text/plain;charset=Shift_JIS"));
}

TEST_F(CopyTest, ADragAcrossAWrapPointCopiesTheFileLine)
{
    Press(Cell(8, 0));
    Move(Cell(4, 1));
    Release(Cell(4, 1));
    EXPECT_EQ(Copy(), "789abc");
}

}  // namespace
