// Work off the user-interface thread, as the view shows it: a load keeps the old text on view
// until the new one is shown in one step, a cancelled one changes nothing, a resize during a load
// reaches the new text, a burst of resizes derives only the last width, and while display lines
// are derived again the map keeps what it shows.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "bigview/Bigview.h"
#include "support/ReadSeam.h"
#include "support/RunEventsUntil.h"

namespace {

// Every load and derivation off the thread, however small.
struct AlwaysOffThread {
    AlwaysOffThread() : load(TBigView::SyncLoadBelow), derive(TBigView::AsyncDeriveFrom)
    {
        TBigView::SyncLoadBelow = 0;
        TBigView::AsyncDeriveFrom = 0;
    }
    ~AlwaysOffThread()
    {
        TBigView::SyncLoadBelow = load;
        TBigView::AsyncDeriveFrom = derive;
    }
    uint64_t load, derive;
};

// Reads 4 KiB a call, a little slowly, so that a load takes a while.
std::atomic<int> gSleepUs{100};
ssize_t SlowRead(int fd, void* b, size_t n)
{
    std::this_thread::sleep_for(std::chrono::microseconds(gSleepUs.load()));
    return ::read(fd, b, std::min<size_t>(n, 4096));
}

// What the view shows and where, to compare before and after.
struct Shown {
    int lines, rows, top;
    TPoint selStart, selEnd;
    std::string first;
    int tab;
    QImage map;
    friend bool operator==(const Shown&, const Shown&) = default;
};

struct BigViewJobsTest : ::testing::Test {
    QTemporaryDir dir;
    AlwaysOffThread offThread;
    TBigView v;
    void SetUp() override
    {
        v.SetViewFont(TViewFont::DefaultViewFont());
        v.SetScrollBar(ssVertical);
        v.setAttribute(Qt::WA_DontShowOnScreen);
        v.resize(300, 200);
        v.show();
    }
    std::string Write(const std::string& bytes, const char* name)
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    // Lines of 30 to 150 bytes beginning with c.
    static std::string Text(char c, int lines)
    {
        std::string text;
        for (int i = 0; i < lines; ++i) text += std::string(1, c) + std::string(size_t(30 + i * 7 % 120), 'x') + "\r\n";
        return text;
    }
    void ShowOld()
    {
        const std::string text = Text('a', 300);
        QByteArray bytes(text.data(), qsizetype(text.size()));
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        v.LoadFromStream(buf);
        v.SetViewLineStart(40);
        v.SetSelStart({3, 41});
        v.SetSelEnd({9, 43});
    }
    Shown Now() const
    {
        return {v.GetCountOrg(), v.GetCount(),       v.ViewLineStart(),
                v.SelStart(),    v.SelEnd(),         v.GetCountOrg() ? v.GetOrg(0).str() : "",
                v.ViewTabStop(), v.MapImage().copy()};
    }
    // Rows as a view at the same width derives them at once.
    std::vector<std::tuple<int, int, int>> Fresh(int width)
    {
        TBigView w;
        w.SetViewFont(TViewFont::DefaultViewFont());
        w.SetScrollBar(ssVertical);
        w.setAttribute(Qt::WA_DontShowOnScreen);
        w.resize(width, 200);
        w.show();
        std::vector<TBvText> lines;
        v.CopyTo(lines);
        w.LinesAssign(lines);
        return Pieces(w);
    }
    static std::vector<std::tuple<int, int, int>> Pieces(const TBigView& view)
    {
        std::vector<std::tuple<int, int, int>> out;
        for (int i = 0; i < view.GetCount(); ++i) {
            const TBvPiece p = view.DisplayLines().Piece(i);
            out.emplace_back(p.OrgIndex, p.OrgPos, p.Len);
        }
        return out;
    }
};

}  // namespace

TEST_F(BigViewJobsTest, ALoadKeepsTheOldTextOnViewUntilTheNewOneIsShownInOneStep)
{
    ShowOld();
    const Shown before = Now();
    const std::string name = Write(Text('b', 2000), "b.txt");
    ReadSeam seam(SlowRead);
    std::vector<TBvLoadFailure> done;
    v.BeginLoad(name, 4, [&](TBvLoadFailure f) {
        done.push_back(f);
        // Shown by now, whole, from its first line with nothing selected.
        EXPECT_EQ(v.GetCountOrg(), 2000);
        EXPECT_EQ(v.ViewLineStart(), 0);
        EXPECT_EQ(v.SelStart(), (TPoint{0, 0}));
    });
    EXPECT_TRUE(v.Loading());
    int turns = 0;
    ASSERT_TRUE(RunEventsUntil([&] {
        if (done.empty()) {
            ++turns;
            EXPECT_EQ(Now(), before) << "turn " << turns;  // the old text, exactly as it was
            v.repaint();
        }
        return !done.empty();
    }));
    EXPECT_GE(turns, 2);  // the window had turns while the file loaded
    EXPECT_EQ(done, std::vector<TBvLoadFailure>{TBvLoadFailure::None});
    EXPECT_FALSE(v.Loading());
    EXPECT_EQ(v.GetOrg(0).str()[0], 'b');
    EXPECT_EQ(v.ViewTabStop(), 4);  // the new text's tab width comes with it
}

TEST_F(BigViewJobsTest, ACancelledLoadChangesNothingWhereverTheCancelComes)
{
    ShowOld();
    const std::string name = Write(Text('b', 3000), "b.txt");
    ReadSeam seam(SlowRead);
    std::mt19937 rng(18);
    for (int round = 0; round < 16; ++round) {
        const Shown before = Now();
        std::vector<TBvLoadFailure> done;
        v.BeginLoad(name, 4, [&](TBvLoadFailure f) { done.push_back(f); });
        const int waitMs = int(rng() % 60);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < waitMs && done.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        v.CancelLoad();
        ASSERT_TRUE(RunEventsUntil([&] { return !done.empty(); })) << round;
        ASSERT_EQ(done.size(), 1u);
        if (done[0] == TBvLoadFailure::Cancelled) {
            EXPECT_EQ(Now(), before) << round;
        } else {
            // The load had ended first: the new text is shown whole.
            EXPECT_EQ(done[0], TBvLoadFailure::None) << round;
            EXPECT_EQ(v.GetCountOrg(), 3000) << round;
            ShowOld();
        }
    }
}

TEST_F(BigViewJobsTest, AResizeDuringALoadReachesTheNewText)
{
    ShowOld();
    const std::string name = Write(Text('b', 1500), "b.txt");
    ReadSeam seam(SlowRead);
    bool done = false;
    v.BeginLoad(name, 8, [&](TBvLoadFailure) { done = true; });
    QCoreApplication::processEvents();
    v.resize(180, 200);  // the load's display lines are cut for the old width
    ASSERT_TRUE(RunEventsUntil([&] { return done && !v.Rederiving(); }));
    EXPECT_EQ(v.GetCountOrg(), 1500);
    EXPECT_EQ(Pieces(v), Fresh(180));
    EXPECT_GT(v.GetCount(), 1500);
}

TEST_F(BigViewJobsTest, ABurstOfResizesDerivesOnlyTheLastWidthKeepingTheTopFileLine)
{
    // A text that takes a moment to derive.
    const std::string text = Text('a', 200000);
    QByteArray bytes(text.data(), qsizetype(text.size()));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    v.LoadFromStream(buf);
    v.SetViewLineStart(v.ConvertIndexFromOrg(123456));
    const long long taken = v.RowsTaken();
    for (const int w : {260, 240, 220, 200, 180, 160}) {
        v.resize(w, 200);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(RunEventsUntil([&] { return !v.Rederiving(); }));
    EXPECT_EQ(v.RowsTaken(), taken + 1);
    EXPECT_EQ(Pieces(v), Fresh(160));
    EXPECT_EQ(v.ConvertIndexToOrg(v.ViewLineStart()), 123456);
}

TEST_F(BigViewJobsTest, WhileLinesAreDerivedAgainTheMapKeepsWhatItShows)
{
    ShowOld();
    const QImage shown = v.MapImage().copy();
    const long long rows = v.RowsRendered();
    v.SetWrapByte(20);  // off the thread
    ASSERT_TRUE(v.Rederiving());
    v.SetViewLineStart(10);  // scrolls, but draws nothing from lines about to go
    EXPECT_EQ(v.RowsRendered(), rows);
    EXPECT_EQ(v.MapImage(), shown);
    ASSERT_TRUE(RunEventsUntil([&] { return !v.Rederiving(); }));
    EXPECT_GT(v.RowsRendered(), rows);
    EXPECT_EQ(v.DisplayLines().Piece(0).Len, 20);
    v.MapUpdate();
    EXPECT_NE(v.MapImage(), shown);
}

TEST_F(BigViewJobsTest, WhileAHoldLivesTheTextIsNotReplaced)
{
    ShowOld();
    const std::string name = Write(Text('b', 500), "b.txt");
    bool done = false;
    {
        const TBigView::THold hold(v);
        v.BeginLoad(name, 8, [&](TBvLoadFailure) { done = true; });
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_FALSE(done);
        EXPECT_EQ(v.GetOrg(0).str()[0], 'a');
    }
    ASSERT_TRUE(RunEventsUntil([&] { return done; }));
    EXPECT_EQ(v.GetOrg(0).str()[0], 'b');
}
