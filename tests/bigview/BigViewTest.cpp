// The view control: screen-map pixels, what a scroll redraws, scroll arithmetic, the content
// operations' follow-up steps, and the frame styles.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <set>

#include "bigview/Bigview.h"
#include "platform/Exception.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu, kAqua = 0xFF00FFFFu;

// A view as the main window has it: black background, white text, line-end marks, vertical bar.
struct View {
    TBigView v;
    View(int w = 400, int rows = 10)
    {
        v.SetColor(clBlack);
        v.SetFontColor(clWhite);
        v.SetViewFont(TViewFont::DefaultViewFont());
        v.SetCRMark(true);
        v.SetScrollBar(ssVertical);
        v.setAttribute(Qt::WA_DontShowOnScreen);
        v.resize(w, rows * 13);
        v.show();
    }
    void Text(const std::string& t) { v.SetTextBuf(t.c_str()), v.MapUpdate(); }
    void Load(const std::string& t)
    {
        QByteArray bytes(t.data(), qsizetype(t.size()));
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        v.LoadFromStream(buf);
    }
    uint32_t Px(int x, int y) const { return v.MapImage().pixel(x, y); }
};

std::string Lines(int n, const char* prefix = "line ")
{
    std::string t;
    for (int i = 0; i < n; ++i) t += prefix + std::to_string(i) + "\r\n";
    return t;
}

TEST(BigViewMetrics, ViewFontCellsAndRows)
{
    View w;
    EXPECT_EQ(w.v.CharWidth(), 6);
    EXPECT_EQ(w.v.LineHeight(), 13);
    EXPECT_EQ(w.v.ViewLines(), 10);
    EXPECT_EQ(w.v.MapImage().height(), 130);
    EXPECT_EQ(w.v.MapImage().width(), (w.v.MaxChar() + 1) * 6);
}

TEST(BigViewMap, SelectionInvertsExactlyTheMeasuredSpan)
{
    View w;
    w.Load("abcdefgh\r\n");
    const QImage before = w.v.MapImage().copy();
    w.v.SetSelStart({3, 0});
    w.v.SetSelEnd({5, 0});
    w.v.MapUpdate();
    const QImage& after = w.v.MapImage();
    // Columns 3 and 4: from the width of two bytes to the width of four, after the 4 px margin.
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const bool inside = y < 13 && x >= 4 + 12 && x < 4 + 24;
            const uint32_t want = inside ? (before.pixel(x, y) ^ 0x00FFFFFFu) : before.pixel(x, y);
            ASSERT_EQ(after.pixel(x, y), want) << x << "," << y;
        }
    // An empty selection inverts nothing.
    w.v.SetSelStart({3, 0});
    w.v.SetSelEnd({3, 0});
    w.v.MapUpdate();
    EXPECT_EQ(w.v.MapImage(), before);
}

TEST(BigViewMap, SelectionSkipsEmptyRowsAndLineEnds)
{
    View w;
    w.Load("abc\r\n\r\nxyz\r\n");
    const QImage before = w.v.MapImage().copy();
    w.v.SetSelStart({2, 0});
    w.v.SetSelEnd({3, 2});
    w.v.MapUpdate();
    // Row 0 from column 2 to its last character, row 1 (empty) not at all, row 2 columns 1 and 2;
    // never the space after a line's last character.
    auto inverted = [](int x, int y) {
        if (y < 13) return x >= 4 + 6 && x < 4 + 18;
        if (y >= 26 && y < 39) return x >= 4 && x < 4 + 12;
        return false;
    };
    const QImage& after = w.v.MapImage();
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            ASSERT_EQ(after.pixel(x, y), inverted(x, y) ? before.pixel(x, y) ^ 0x00FFFFFFu : before.pixel(x, y))
                << x << "," << y;
}

// The line-end mark: a stem and two head strokes, each without its end point.
std::set<std::pair<int, int>> AquaPixels(const QImage& img, int top)
{
    std::set<std::pair<int, int>> out;
    for (int y = top; y < top + 13; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == kAqua) out.insert({x, y - top});
    return out;
}

TEST(BigViewMap, LineEndMarkPixels)
{
    View w;
    w.Load("ab\r\n");
    // half = 3, rise = nearest(11 / 4) = 3; x = width 12 + margin 4 + 3; bottom = 11.
    std::set<std::pair<int, int>> want;
    for (int y = 1; y <= 11; ++y) want.insert({19, y});
    want.insert({18, 9});
    want.insert({20, 9});
    EXPECT_EQ(AquaPixels(w.v.MapImage(), 0), want);

    w.v.SetCRMark(false);
    w.v.MapUpdate();
    EXPECT_TRUE(AquaPixels(w.v.MapImage(), 0).empty());
}

TEST(BigViewMap, NoMarkOnTheFirstPieceOfAWrappedLine)
{
    View w;
    w.v.SetWrapByte(4);
    w.Load("abcdefgh\r\n");
    ASSERT_EQ(w.v.GetCount(), 2);
    EXPECT_TRUE(AquaPixels(w.v.MapImage(), 0).empty());
    EXPECT_FALSE(AquaPixels(w.v.MapImage(), 13).empty());
}

TEST(BigViewMap, ColourChangeRebuildsTheMapBeforeCopying)
{
    View w;
    w.Load(Lines(5));
    const long long rows = w.v.RowsRendered();
    w.v.SetColor(0xFF0000);             // blue as 0x00BBGGRR
    EXPECT_EQ(w.Px(300, 100), kBlack);  // nothing redrawn until the repaint
    const QImage shot = w.v.Grab();
    EXPECT_EQ(w.Px(300, 100), 0xFF0000FFu);
    EXPECT_EQ(w.v.RowsRendered() - rows, 5);
    const QPoint c = w.v.ClientRect().topLeft();
    EXPECT_EQ(shot.pixel(c + QPoint(300, 100)), 0xFF0000FFu);
}

TEST(BigViewMap, HorizontalPositionShiftsTheWindowNotTheMap)
{
    View w;
    w.Load("0123456789abcdefghij\r\n");
    w.v.SetScHPos(3);
    EXPECT_EQ(w.v.ScHPos(), 3);
    const QImage shot = w.v.Grab();
    const QPoint c = w.v.ClientRect().topLeft();
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(shot.pixel(c + QPoint(x, y)), w.Px(x + 18, y)) << x << "," << y;
}

TEST(BigViewMap, DeferredPresentationUpToPCanLimit)
{
    View w;
    w.Load(Lines(3));
    w.v.SetPCanLimit(2);
    const long long paints = w.v.PaintCalls();
    w.v.MapUpdate();
    EXPECT_EQ(w.v.PaintCount(), 1);
    w.v.MapUpdate();
    EXPECT_EQ(w.v.PaintCount(), 2);
    EXPECT_EQ(w.v.PaintCalls(), paints);
    w.v.MapUpdate();  // the third is painted at once
    EXPECT_EQ(w.v.PaintCount(), 0);
    EXPECT_EQ(w.v.PaintCalls(), paints + 1);
    w.v.SetPCanLimit(-3);
    EXPECT_EQ(w.v.PCanLimit(), 0);
}

TEST(BigViewMap, AScrollRendersOnlyTheRowsThatCameIntoView)
{
    View w;
    w.Load(Lines(100));
    long long r = w.v.RowsRendered();
    w.v.SetViewLineStart(1);
    EXPECT_EQ(w.v.RowsRendered() - r, 1);
    r = w.v.RowsRendered();
    w.v.SetViewLineStart(0);
    EXPECT_EQ(w.v.RowsRendered() - r, 1);
    r = w.v.RowsRendered();
    w.v.SetViewLineStart(10);  // a page
    EXPECT_EQ(w.v.RowsRendered() - r, 10);
    r = w.v.RowsRendered();
    w.v.SetViewLineStart(21);  // more than a page: the whole map
    EXPECT_EQ(w.v.RowsRendered() - r, 10);
}

TEST(BigViewMap, ScrolledRowsMatchAFullUpdate)
{
    View w;
    w.Load(Lines(40, "text\tline "));
    w.v.SetSelStart({3, 2});
    w.v.SetSelEnd({3, 14});
    w.v.MapUpdate();
    for (int top : {1, 2, 5, 3, 0, 7}) {
        w.v.SetViewLineStart(top);
        const QImage shot = w.v.Grab();  // painted from the scrolled map as it stands
        const QImage scrolled = w.v.MapImage().copy();
        const QPoint c = w.v.ClientRect().topLeft();
        for (int y = 0; y < std::min(scrolled.height(), w.v.ClientHeight()); y += 2)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(shot.pixel(c + QPoint(x, y)), scrolled.pixel(x, y)) << x << "," << y;
        w.v.MapUpdate();
        ASSERT_EQ(scrolled, w.v.MapImage()) << "top " << top;
    }
}

TEST(BigViewMap, AVeryLongUnwrappedLineKeepsAWindowOfTheMap)
{
    View w(400, 5);
    w.v.SetWordWrap(false);
    // The longest line's mark falls just past the map's right edge; the second's shows.
    w.Load(std::string(3'000'000, 'x') + "\r\n" + std::string(2'999'990, 'y') + "\r\nshort\r\n");
    EXPECT_EQ(w.v.MaxChar(), 3'000'000);
    EXPECT_LE(w.v.MapImage().width(), 8192);  // not 18 million pixels
    const int k = 3'000'000 - 40;
    w.v.SetScHPos(k);
    const QImage shot = w.v.Grab();
    const QPoint c = w.v.ClientRect().topLeft();
    const int64_t markX = 4 + 6LL * 2'999'990 + 3 - 6LL * k;
    EXPECT_EQ(shot.pixel(c + QPoint(int(markX), 13 + 6)), kAqua);
    int text = 0;
    for (int x = 0; x < markX - 2; ++x) text += shot.pixel(c + QPoint(x, 13 + 6)) != kBlack;
    EXPECT_GT(text, 20);
    int first = 0;
    for (int x = 0; x < 300; ++x) first += shot.pixel(c + QPoint(x, 6)) != kBlack;
    EXPECT_GT(first, 60);  // the longest line's text runs on past the second's end
    // The short line lies far to the left: its row shows background only.
    for (int x = 0; x < 300; ++x) ASSERT_EQ(shot.pixel(c + QPoint(x, 26 + 6)), kBlack) << x;
}

// ---- scrolling ----

TEST(BigViewScroll, RangesWithAndWithoutScrollingOverTheEnd)
{
    View w;
    w.Load(Lines(100));
    EXPECT_EQ(w.v.VRangeMax(), 90);
    EXPECT_EQ(w.v.VScrollBar()->maximum(), 90);
    w.v.SetScOver(true);
    EXPECT_EQ(w.v.VRangeMax(), 99);
    w.v.WMVScroll(SB_THUMBTRACK, 99);
    EXPECT_EQ(w.v.ViewLineStart(), 99);
    EXPECT_EQ(w.v.ViewLineEnd(), 99);
    w.v.SetViewLineStart(92);
    w.v.SetViewLineEnd(95);  // already on view at or below the top: stays
    EXPECT_EQ(w.v.ViewLineStart(), 92);

    View e;
    e.Load("");
    EXPECT_EQ(e.v.VRangeMax(), 1);
}

TEST(BigViewScroll, TopLinePastTheRangeIsBroughtBackByAnyBarMessage)
{
    for (int code : {int(SB_LINEDOWN), int(SB_ENDSCROLL), int(SB_LINEUP)}) {
        View w;
        w.Load(Lines(100));
        w.v.SetViewLineStart(95);
        EXPECT_EQ(w.v.ViewLineStart(), 95);
        EXPECT_EQ(w.v.ScVPos(), 90);
        w.v.WMVScroll(code, w.v.ScVPos());
        EXPECT_EQ(w.v.ViewLineStart(), 90) << code;
    }
}

TEST(BigViewScroll, ClampsAndFiresEventsEvenWhenNothingMoves)
{
    View w;
    int changing = 0, changed = 0;
    w.v.OnViewLineChanging = [&](TBigView*, int&) { ++changing; };
    w.v.OnViewLineChanged = [&](TBigView*) { ++changed; };
    w.v.SetViewLineStart(5);  // empty document
    EXPECT_EQ(w.v.ViewLineStart(), 0);
    EXPECT_EQ(w.v.ViewLineEnd(), 0);
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    w.Load(Lines(50));
    w.v.SetViewLineStart(-5);
    EXPECT_EQ(w.v.ViewLineStart(), 0);
    w.v.SetViewLineStart(60);
    EXPECT_EQ(w.v.ViewLineStart(), 49);
    EXPECT_EQ(w.v.ViewLineEnd(), 49);
    // A document that fits answers every bar message with the top line 0.
    View s;
    s.Load(Lines(5));
    s.v.SetViewLineStart(3);
    s.v.WMVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(s.v.ViewLineStart(), 0);
}

TEST(BigViewScroll, EmptySelectionFollowsTheViewAndASelectionStays)
{
    View w(400, 20);
    w.Load(Lines(100));
    w.v.SetSelStart({4, 3});
    w.v.SetSelEnd({4, 3});
    w.v.SetViewLineStart(50);
    EXPECT_EQ(w.v.SelEnd(), (TPoint{4, 50}));
    EXPECT_EQ(w.v.SelStart(), (TPoint{4, 50}));
    w.v.SetSelStart({1, 50});
    w.v.SetSelEnd({3, 52});
    w.v.SetViewLineStart(0);
    EXPECT_EQ(w.v.SelStart(), (TPoint{1, 50}));
    EXPECT_EQ(w.v.SelEnd(), (TPoint{3, 52}));
}

TEST(BigViewScroll, ThumbPositionsAbove32767AreExact)
{
    View w;
    w.Load(Lines(50000));
    w.v.WMVScroll(SB_THUMBTRACK, 40000);
    EXPECT_EQ(w.v.ViewLineStart(), 40000);
    EXPECT_EQ(w.v.VScrollBar()->value(), 40000);
}

TEST(BigViewScroll, AccelerationRisesWithSteadyQuickStepsAndFallsAfterAPause)
{
    uint32_t now = 1000;
    View w;
    w.v.SetTickSource([&] { return now; });
    w.Load(Lines(2000));
    w.v.SetScrollSense(3);
    std::vector<int> steps;
    for (int i = 0; i < 40; ++i) {
        now += 50;
        w.v.WMVScroll(SB_LINEDOWN, 0);
        steps.push_back(w.v.ScrollStep());
    }
    EXPECT_EQ(steps.front(), 1);
    EXPECT_NE(std::find(steps.begin(), steps.end(), 2), steps.end());
    EXPECT_EQ(steps.back(), 3);
    EXPECT_LE(*std::max_element(steps.begin(), steps.end()), 3);
    // Changing direction quickly keeps the step once it has reached the limit.
    now += 50;
    w.v.WMVScroll(SB_LINEUP, 0);
    EXPECT_EQ(w.v.ScrollStep(), 3);
    now += 301;
    w.v.WMVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(w.v.ScrollStep(), 1);
    // With ScrollSense 1 the step never grows.
    w.v.SetScrollSense(1);
    for (int i = 0; i < 30; ++i) now += 50, w.v.WMVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(w.v.ScrollStep(), 1);
    w.v.SetScrollSense(11);
    EXPECT_EQ(w.v.ScrollSense(), 1);
}

TEST(BigViewScroll, HorizontalPositionIsClampedAndNeedsText)
{
    View w;
    w.v.SetScHPos(5);
    EXPECT_EQ(w.v.ScHPos(), 0);
    w.Load("abc\r\n");
    w.v.SetScHPos(w.v.MaxChar() + 5);
    EXPECT_EQ(w.v.ScHPos(), w.v.MaxChar() - 1);
}

// ---- content operations ----

TEST(BigViewContent, LoadingAMissingFileGivesAnEmptyViewAtTheTop)
{
    View w;
    w.Load(Lines(50));
    w.v.SetViewLineStart(20);
    w.v.SetSelStart({1, 22});
    w.v.SetSelEnd({3, 24});
    w.v.LoadFromFile("/nonexistent/file.txt");
    EXPECT_EQ(w.v.GetCount(), 0);
    EXPECT_EQ(w.v.ViewLineStart(), 0);
    EXPECT_EQ(w.v.SelStart(), (TPoint{0, 0}));
    EXPECT_EQ(w.v.SelEnd(), (TPoint{0, 0}));
}

TEST(BigViewContent, DeleteAndInsertWorkOnWholeFileLines)
{
    View w;
    w.v.SetWrapByte(3);
    w.Load("aaaaaaa\r\nbb\r\ncc\r\n");  // display lines: aaa aaa a bb cc
    ASSERT_EQ(w.v.GetCount(), 5);
    w.v.Insert(1, TBvText("new"));
    EXPECT_EQ(w.v.GetOrg(0), "new");
    EXPECT_EQ(w.v.GetOrg(1), "aaaaaaa");
    EXPECT_EQ(w.v.GetCount(), 6);
    w.v.Delete(2);  // the second piece of "aaaaaaa"
    EXPECT_EQ(w.v.GetCountOrg(), 3);
    EXPECT_EQ(w.v.GetCount(), 3);
    EXPECT_EQ(w.v.Get(1), "bb");
    EXPECT_THROW(w.v.Delete(3), Exception);
    EXPECT_EQ(w.v.GetCountOrg(), 3);
}

TEST(BigViewContent, PutReplacesOnlyThePieceAndRewraps)
{
    View w;
    w.v.SetWrapByte(3);
    w.Load("abcdefgh\r\n");
    w.v.Put(1, TBvText("XY"));
    EXPECT_EQ(w.v.GetOrg(0), "abcXYgh");
    EXPECT_EQ(w.v.Get(1), "XYg");
    w.v.Put(1, TBvText(""));
    EXPECT_EQ(w.v.GetOrg(0), "abch");
}

TEST(BigViewContent, PutOrgLeavesThePiecesUntilTheNextDerivation)
{
    View w;
    w.v.SetWordWrap(false);
    w.Load("abc\r\n");
    w.v.PutOrg(0, TBvText("abcdefgh"));
    EXPECT_EQ(w.v.Get(0), "abc");
    w.v.SetWordWrap(true);
    EXPECT_EQ(w.v.Get(0), "abcdefgh");
}

TEST(BigViewContent, AddExchangeAndIndexOf)
{
    View w;
    w.v.SetWordWrap(false);
    EXPECT_EQ(w.v.Add(TBvText("one")), 1);
    EXPECT_EQ(w.v.Add(TBvText("two")), 2);
    w.v.Exchange(0, 1);
    EXPECT_EQ(w.v.GetOrg(0), "two");
    EXPECT_EQ(w.v.IndexOf(TBvText("one")), 1);
    EXPECT_EQ(w.v.IndexOf(TBvText("none")), -1);
    std::vector<TBvText> out;
    w.v.CopyTo(out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1], "one");
}

TEST(BigViewContent, SetTextBufKeepsTheTopLineWhileItIsStillADisplayLine)
{
    View w;
    w.Load(Lines(60));
    w.v.SetViewLineStart(40);
    w.v.SetTextBuf(Lines(50, "new ").c_str());
    EXPECT_EQ(w.v.ViewLineStart(), 40);
    // A shorter text: the top line comes back to its last line, with a selection beyond it.
    w.v.SetSelStart({1, 44});
    w.v.SetSelEnd({3, 45});
    w.v.SetTextBuf("one\ntwo\n");
    EXPECT_EQ(w.v.GetCount(), 2);
    EXPECT_EQ(w.v.ViewLineStart(), 1);
    EXPECT_EQ(w.v.ViewLineEnd(), 1);
    EXPECT_EQ(w.v.SelStart(), (TPoint{1, 1}));
    EXPECT_EQ(w.v.SelEnd(), (TPoint{3, 1}));
}

TEST(BigViewContent, ClearDropsSelectionTopLineAndBlanksTheMap)
{
    View w;
    w.Load(Lines(30));
    w.v.SetViewLineStart(10);
    w.v.SetSelStart({1, 11});
    w.v.SetSelEnd({2, 12});
    w.v.Clear();
    EXPECT_EQ(w.v.ViewLineStart(), 0);
    EXPECT_EQ(w.v.SelEnd(), (TPoint{0, 0}));
    for (int y = 0; y < w.v.MapImage().height(); y += 3)
        for (int x = 0; x < w.v.MapImage().width(); x += 3) ASSERT_EQ(w.Px(x, y), kBlack);
    w.v.Clear();  // on an empty view too
    EXPECT_EQ(w.v.GetCount(), 0);
}

TEST(BigViewContent, LoadWidensMaxCharToTheLongestLine)
{
    View w;
    w.v.SetWordWrap(false);
    w.Load(std::string(500, 'a') + "\r\n");
    EXPECT_EQ(w.v.MaxChar(), 500);
    EXPECT_FALSE(w.v.CalcMapWidth(0, 1));
    // Below 1 is taken as 1, and resizing the map then widens it to the window again.
    w.v.SetMaxChar(0);
    EXPECT_EQ(w.v.MaxChar(), int(std::nearbyint(w.v.ClientWidth() / 6.0)) + 1);
}

// ---- frame styles ----

TEST(BigViewFrame, HitTestingFollowsTheStyles)
{
    View w;
    const QRect r = w.v.rect();
    EXPECT_EQ(w.v.WMNCHitTest(w.v.ClientRect().center()), HTCLIENT);
    EXPECT_EQ(w.v.WMNCHitTest(r.topLeft()), HTNOWHERE);  // sunken edge only

    w.v.SetBvStyle(BvSet({bvVResize}));
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(r.center().x(), 1)), HTTOP);
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(r.center().x(), r.bottom() - 1)), HTBOTTOM);
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(1, r.center().y())), HTNOWHERE);
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(1, 1)), HTNOWHERE);

    w.v.SetBvStyle(BvSet({bvVResize, bvHResize}));
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(r.right() - 1, r.bottom() - 1)), HTBOTTOMRIGHT);
    EXPECT_EQ(w.v.WMNCHitTest(QPoint(1, r.center().y())), HTLEFT);

    w.v.SetBvStyle(BvSet({bvCaption}));
    const QPoint cap(r.center().x(), w.v.ClientRect().top() - 5);
    EXPECT_EQ(w.v.WMNCHitTest(cap), HTNOWHERE);  // a caption that does not move
    w.v.SetBvStyle(BvSet({bvCaption, bvMove}));
    EXPECT_EQ(w.v.WMNCHitTest(cap), HTCAPTION);
}

TEST(BigViewFrame, CtrlDragMovesAMovableControlAndAPlainDragSelects)
{
    QWidget parent;
    parent.setAttribute(Qt::WA_DontShowOnScreen);
    parent.resize(600, 400);
    auto* v = new TBigView(&parent);
    v->SetViewFont(TViewFont::DefaultViewFont());
    v->setGeometry(50, 40, 300, 200);
    v->SetTextBuf("abcdefghij\r\nklmnopqrst\r\n");
    v->SetBvStyle(BvSet({bvMove}));
    parent.show();
    const QPoint at = v->ClientRect().topLeft() + QPoint(20, 5);
    EXPECT_EQ(v->WMNCHitTest(at, Qt::ControlModifier), HTCAPTION);
    EXPECT_EQ(v->WMNCHitTest(at, Qt::NoModifier), HTCLIENT);

    QTest::mousePress(v, Qt::LeftButton, Qt::ControlModifier, at);
    QTest::mouseMove(v, at + QPoint(30, 20));
    QTest::mouseRelease(v, Qt::LeftButton, Qt::ControlModifier, at + QPoint(30, 20));
    EXPECT_EQ(v->pos(), QPoint(80, 60));
    EXPECT_EQ(v->SelStart(), v->SelEnd());

    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(v, at + QPoint(30, 0));
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, at + QPoint(30, 0));
    EXPECT_EQ(v->pos(), QPoint(80, 60));
    EXPECT_NE(v->SelStart(), v->SelEnd());
}

TEST(BigViewFrame, StyleEventsAndCaption)
{
    View w;
    int changing = 0, changed = 0;
    w.v.OnBvStyleChanging = [&](TBigView*, TBvStyle& s) {
        ++changing;
        s = TBvStyle(s | BvSet({bvDblFrame}));
    };
    w.v.OnBvStyleChanged = [&](TBigView*) { ++changed; };
    w.v.SetBvStyle(w.v.BvStyle());
    EXPECT_EQ(changing + changed, 0);
    w.v.SetBvStyle(BvSet({bvCaption}));
    EXPECT_EQ(w.v.BvStyle(), BvSet({bvCaption, bvDblFrame}));
    EXPECT_EQ(changed, 1);
    w.v.SetCaption(std::string(300, 'c'));
    EXPECT_EQ(w.v.GetCaption().size(), 255u);
    // The caption bar takes rows away from the view.
    EXPECT_LT(w.v.ClientRect().top(), 30);
    EXPECT_GT(w.v.ClientRect().top(), 10);
}

}  // namespace
