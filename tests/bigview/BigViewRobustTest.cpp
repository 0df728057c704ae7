// What the view must survive: setters and content operations that re-derive the display lines
// under a selection and a scrolled top line, a window lower than one row, a taller window, keys
// held during a drag, and a drag held outside the view.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <random>
#include <string>
#include <vector>

#include "bigview/Bigview.h"

namespace {

struct View {
    TBigView v;
    explicit View(int w = 300, int h = 130)
    {
        v.SetColor(clBlack);
        v.SetFontColor(clWhite);
        v.SetViewFont(TViewFont::DefaultViewFont());
        v.SetCRMark(true);
        v.SetScrollBar(ssVertical);
        v.setAttribute(Qt::WA_DontShowOnScreen);
        v.resize(w, h);
        v.show();
    }
    // The map as a full redraw would make it now.
    QImage Fresh()
    {
        v.MapUpdate();
        return v.MapImage().copy();
    }
};

std::string RandomLine(std::mt19937& rng)
{
    static const std::vector<std::string> pieces = {"a", "Z", " ", "\t", "\x8A\xBF", "\x82\xA0", "\xB1", "x_1", "\x82"};
    std::string s;
    for (int n = std::uniform_int_distribution<int>(0, 30)(rng); n > 0; --n)
        s += pieces[size_t(std::uniform_int_distribution<int>(0, int(pieces.size()) - 1)(rng))];
    return s;
}

std::vector<TBvText> RandomLines(std::mt19937& rng, int most)
{
    std::vector<TBvText> lines;
    for (int n = std::uniform_int_distribution<int>(0, most)(rng); n > 0; --n) lines.emplace_back(RandomLine(rng));
    return lines;
}

// The selection and the top line lie in the display lines (or are the neutral position).
void ExpectInside(const TBigView& v)
{
    const int count = v.GetCount();
    EXPECT_GE(v.ViewLineStart(), 0);
    EXPECT_LE(v.ViewLineStart(), std::max(count - 1, 0));
    EXPECT_EQ(v.ViewLineEnd(), std::max(0, std::min(v.ViewLineStart() + v.ViewLines() - 1, count - 1)));
    for (const TPoint p : {v.SelStart(), v.SelEnd()}) {
        if (count == 0) {
            EXPECT_EQ(p, (TPoint{0, 0}));
            continue;
        }
        ASSERT_GE(p.Y, 0);
        ASSERT_LT(p.Y, count);
        EXPECT_LE(p.X, int(v.Get(p.Y).size()) + 1);
    }
}

// Where two maps differ, for the failure message.
std::string Diff(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " and " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    int x0 = a.width(), y0 = a.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    return "pixels differ in x " + std::to_string(x0) + ".." + std::to_string(x1) + ", y " + std::to_string(y0) + ".." +
           std::to_string(y1);
}

}  // namespace

TEST(BigViewRobust, ANewWrapWithFewerLinesUnderTheSelectionDoesNotRaise)
{
    View w;
    w.v.SetWrapByte(10);
    w.v.SetTextBuf(std::string(120, 'a').c_str());
    ASSERT_EQ(w.v.GetCount(), 12);
    w.v.SetViewLineStart(5);
    w.v.SetSelStart({2, 8});
    w.v.SetSelEnd({4, 9});
    ASSERT_NO_THROW(w.v.SetWrapByte(30));
    EXPECT_EQ(w.v.GetCount(), 4);
    ExpectInside(w.v);
    EXPECT_EQ(w.v.MapImage(), w.Fresh());
    // A new wrap keeps the same bytes selected: bytes 32 to 63 of the line, pieces of 20 now.
    w.v.SetSelStart({2, 1});
    w.v.SetSelEnd({4, 2});
    w.v.SetWrapByte(20);
    EXPECT_EQ(w.v.SelStart(), (TPoint{12, 1}));
    EXPECT_EQ(w.v.SelEnd(), (TPoint{4, 3}));
}

// Random setters and content operations on a view with a random selection and top line: nothing
// raises, and afterwards the selection and the top line are inside the display lines and the
// map is what a full redraw makes of it.
TEST(BigViewRobust, RandomSettersAndContentOperationsKeepTheViewConsistent)
{
    std::mt19937 rng(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    View w;
    w.v.LinesAssign(RandomLines(rng, 40));
    for (int step = 0; step < 1500; ++step) {
        const int count = w.v.GetCount();
        const int op = pick(0, 19);
        SCOPED_TRACE(testing::Message() << "step " << step << " op " << op << " count " << count);
        auto line = [&] { return pick(0, std::max(count - 1, 0)); };
        ASSERT_NO_THROW({
            switch (op) {
            case 0: w.v.SetWordWrap(pick(0, 3) != 0); break;
            case 1: w.v.SetWrapByte(pick(0, 3) == 0 ? 0 : pick(1, 40)); break;
            case 2: w.v.SetViewTabStop(pick(0, 12)); break;
            case 3: w.v.SetMaxChar(pick(1, 300)); break;
            case 4: w.v.resize(pick(40, 500), pick(0, 300)); break;
            case 5: w.v.SetTextBuf(RandomLine(rng).append("\r\n").append(RandomLine(rng)).c_str()); break;
            case 6:
                if (count) w.v.Put(line(), TBvText(RandomLine(rng)));
                break;
            case 7:
                if (count) w.v.PutOrg(pick(0, w.v.GetCountOrg() - 1), TBvText(RandomLine(rng)));
                break;
            case 8:
                if (count) w.v.Delete(line());
                break;
            case 9:
                if (count) w.v.Insert(line(), TBvText(RandomLine(rng)));
                break;
            case 10:
                if (count) w.v.Exchange(line(), line());
                break;
            case 11: w.v.Add(TBvText(RandomLine(rng))); break;
            case 12: w.v.AddStrings(RandomLines(rng, 8)); break;
            case 13: w.v.LinesAssign(RandomLines(rng, 60)); break;
            case 14:
                if (pick(0, 5) == 0) w.v.Clear();
                break;
            case 15: {
                std::string text;
                for (const TBvText& t : RandomLines(rng, 50)) text += t.str() + "\r\n";
                QByteArray bytes(text.data(), qsizetype(text.size()));
                QBuffer buf(&bytes);
                buf.open(QIODevice::ReadOnly);
                w.v.LoadFromStream(buf);
                break;
            }
            case 16: w.v.SetViewLineStart(pick(-2, count + 2)); break;
            default:
                w.v.SetSelStart({pick(0, 40), pick(0, count)});
                w.v.SetSelEnd({pick(0, 40), pick(0, count)});
                w.v.MapUpdate();
                break;
            }
        });
        ExpectInside(w.v);
        const QImage now = w.v.MapImage().copy();
        ASSERT_EQ(now, w.Fresh()) << Diff(now, w.v.MapImage()) << "; top " << w.v.ViewLineStart() << ", rows "
                                  << w.v.ViewLines() << ", lines " << w.v.GetCount();
    }
}

TEST(BigViewRobust, AWindowLowerThanOneRowPaintsOnlyItsBackgroundOncePerRequest)
{
    int warnings = 0;
    static int* counter = nullptr;
    counter = &warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
            if (type == QtWarningMsg) ++*counter;
        });
    {
        View w(300, 8);
        w.v.SetTextBuf("abc\r\ndef\r\n");
        ASSERT_EQ(w.v.ViewLines(), 0);
        const long long paints = w.v.PaintCalls();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_LE(w.v.PaintCalls() - paints, 2);  // not a paint that asks for the next one
        const QImage shot = w.v.Grab();
        const QPoint c = w.v.ClientRect().topLeft();
        EXPECT_EQ(shot.pixel(c + QPoint(10, 2)), 0xFF000000u);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 0);
}

TEST(BigViewRobust, ATallerWindowShowsEveryRowOfATextThatNowFits)
{
    for (const bool fixedWrap : {false, true}) {
        SCOPED_TRACE(fixedWrap ? "WrapByte 20" : "no wrap");
        View w(300, 10 * 13);
        if (fixedWrap) w.v.SetWrapByte(20);
        else w.v.SetWordWrap(false);
        std::string text;
        for (int i = 0; i < 15; ++i) text += "row " + std::to_string(i) + "\r\n";
        w.v.SetTextBuf(text.c_str());
        w.v.MapUpdate();
        w.v.resize(300, 20 * 13);
        ASSERT_EQ(w.v.ViewLines(), 20);
        EXPECT_EQ(w.v.ViewLineEnd(), 14);
        const QImage now = w.v.MapImage().copy();
        EXPECT_EQ(now, w.Fresh());
    }
}

TEST(BigViewRobust, OnlyARealKeyReleaseEndsADrag)
{
    View w;
    w.v.SetTextBuf("abcdefghij\r\nklmnopqrst\r\n");
    const QPoint at = w.v.ClientRect().topLeft() + QPoint(10, 5);
    QTest::mousePress(&w.v, Qt::LeftButton, {}, at);
    ASSERT_TRUE(w.v.SelDragging());
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&w.v, &repeat);
    EXPECT_TRUE(w.v.SelDragging());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.v, &release);
    EXPECT_FALSE(w.v.SelDragging());
    QTest::mouseRelease(&w.v, Qt::LeftButton, {}, at);
}

// Held below the view, the drag scrolls one line per screen frame, not as fast as the passes run.
TEST(BigViewRobust, ADragHeldOutsideScrollsOneLinePerFrame)
{
    View w;
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\r\n";
    w.v.SetTextBuf(text.c_str());
    w.v.MapUpdate();
    const QPoint at = w.v.ClientRect().topLeft() + QPoint(10, 5);
    QTest::mousePress(&w.v, Qt::LeftButton, {}, at);
    // Released from inside the passes after 300 ms.
    QTimer::singleShot(300, &w.v, [&] { QTest::mouseRelease(&w.v, Qt::LeftButton, {}, at + QPoint(0, 400)); });
    QTest::mouseMove(&w.v, at + QPoint(0, 400));
    EXPECT_FALSE(w.v.SelDragging());
    EXPECT_GE(w.v.ViewLineStart(), 5);
    EXPECT_LE(w.v.ViewLineStart(), 30);                // about 18 frames; back to back it was hundreds
    EXPECT_GT(w.v.SelEnd().Y, w.v.ViewLineEnd() - 1);  // pulled along to the bottom
}

TEST(BigViewRobust, TabDistancesAreSixtyFourBit)
{
    View w;
    w.v.SetViewTabStop(400000000);
    EXPECT_EQ(w.v.TabbedTextWidth(TBvText("\tx")), 6LL * 400000000 + 6);
    w.v.SetTextBuf("\tabc\r\n");
    EXPECT_NO_THROW(w.v.MapUpdate());
}
