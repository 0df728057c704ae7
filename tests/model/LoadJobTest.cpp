// A load off the calling thread: the lines and display lines it gives are the plain oracles'
// however the split and the derivation overlap (a Unix text whose first CR comes late makes the
// derivation start again), and a stop, a read error, a file that shrinks or goes away mid-read
// each end it cleanly.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "model/BvJob.h"
#include "model/BvLines.h"
#include "support/CellMeasure.h"
#include "support/DeriveOracle.h"
#include "support/FileLineOracle.h"
#include "support/ReadSeam.h"

namespace {

struct LoadJobTest : ::testing::Test {
    QTemporaryDir dir;
    std::string Write(const std::string& bytes, const char* name = "t.txt")
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    std::shared_ptr<const TBvMeasure> Measure(int client = 300)
    {
        auto m = std::make_shared<CellMeasure>();
        m->client = client;
        return m;
    }
    // The job's lines against the line oracle, and its display lines against the derivation oracle.
    void ExpectOracles(TBvJob& job, const std::string& bytes, const std::string& what)
    {
        const std::vector<std::string> want = FileLines(bytes);
        ASSERT_EQ(job.Store().Count(), int(want.size())) << what;
        for (int i = 0; i < job.Store().Count(); ++i)
            ASSERT_EQ(job.Store().View(i), want[size_t(i)]) << what << " line " << i;
        ASSERT_TRUE(job.Derived()) << what;
        const std::vector<TBvInfo> rows = OracleRows(job.Store(), job.Wrap(), *job.Measure());
        ASSERT_EQ(job.Rows().Count(), int(rows.size())) << what;
        // SubLine counted along: a line of a million pieces is no walk back from each.
        for (int i = 0, sub = 0; i < job.Rows().Count(); ++i) {
            const TBvPiece p = job.Rows().Piece(i);
            ASSERT_TRUE(SameInfo({p.OrgIndex, p.OrgPos, p.Len, sub, p.Cr}, rows[size_t(i)])) << what << " row " << i;
            sub = p.Cr ? 0 : sub + 1;
        }
    }
};

// Lines of 1 to 120 bytes, two-byte characters among them, with the given line end.
std::string Text(size_t bytes, const char* end, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < bytes) {
        const size_t len = 1 + rng() % 120;
        for (size_t k = 0; k < len; ++k) text += rng() % 9 == 0 ? "\x82\xa0" : std::string(1, char('a' + rng() % 26));
        text += end;
    }
    return text;
}

// The read call, 64 KiB at a time, with a hook run before each call (on the reading thread) and
// failing from call gFailFrom on.
std::function<void(int fd, int call)> gBeforeRead;
std::atomic<int> gCalls{0};
std::atomic<int> gFailFrom{0};
ssize_t HookedRead(int fd, void* b, size_t n)
{
    const int call = ++gCalls;
    if (gBeforeRead) gBeforeRead(fd, call);
    if (gFailFrom && call >= gFailFrom) {
        errno = EIO;
        return -1;
    }
    return ::read(fd, b, std::min<size_t>(n, 64 << 10));
}

}  // namespace

TEST_F(LoadJobTest, TheDerivationFollowingTheSplitGivesTheOraclesRows)
{
    // Large enough for the reading thread, so that the derivation fills the split's waits.
    const std::string lf = Text(40 << 20, "\n", 1), crlf = Text(40 << 20, "\r\n", 2);
    std::string late = lf;  // everything derived before its CR is void
    late[late.size() * 3 / 4] = '\r';
    // A slow reading, so that the split waits and derives meanwhile.
    ReadSeam seam(HookedRead);
    gBeforeRead = [](int, int) { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    for (const auto& [what, bytes] :
         std::vector<std::pair<const char*, const std::string*>>{{"LF", &lf}, {"CR LF", &crlf}, {"a late CR", &late}}) {
        TBvJob job(TBvLoadSource(Write(*bytes)), TBvWrap{}, Measure());
        job.Run();
        EXPECT_EQ(job.Failure(), TBvLoadFailure::None) << what;
        EXPECT_GT(job.DerivedEarly(), 0) << what;
        ExpectOracles(job, *bytes, what);
        if (HasFatalFailure()) break;
    }
    gBeforeRead = nullptr;
}

TEST_F(LoadJobTest, AStopEndsEveryThreadAtItsNextPartAndKeepsNothing)
{
    const std::string bytes = Text(48 << 20, "\r\n", 3);
    const std::string name = Write(bytes);
    const int lines = int(FileLines(bytes).size());
    std::mt19937 rng(4);
    for (int round = 0; round < 12; ++round) {
        TBvJob job(TBvLoadSource(name), TBvWrap{}, Measure());
        std::atomic<bool> ended{false};
        job.Start([&] { ended = true; });
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 200000));
        const auto t0 = std::chrono::steady_clock::now();
        job.Cancel();
        while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)) << round;
        EXPECT_TRUE(job.Ended());
        if (job.Failure() == TBvLoadFailure::Cancelled) {
            EXPECT_EQ(job.Store().Count(), 0) << round;
            EXPECT_FALSE(job.Derived()) << round;
        } else {
            // It had ended before the stop came: whole.
            EXPECT_EQ(job.Failure(), TBvLoadFailure::None) << round;
            EXPECT_EQ(job.Store().Count(), lines) << round;
        }
    }
}

TEST_F(LoadJobTest, AFileThatFailsShrinksOrGoesAwayMidReadEndsCleanly)
{
    const std::string bytes = Text(20 << 20, "\r\n", 5);
    struct Case {
        const char* what;
        std::function<void(int fd, int call, const std::string& name)> atCall40;
        TBvLoadFailure failure;
        size_t keptBytes;  // the bytes the text holds afterwards (at most)
    };
    const std::vector<Case> cases = {
        {"read error", nullptr, TBvLoadFailure::ReadError, 39 * (64 << 10)},
        {"shrinks", [](int, int, const std::string& n) { ASSERT_EQ(truncate(n.c_str(), 50 << 16), 0); },
         TBvLoadFailure::None, 50 << 16},
        {"goes away", [](int, int, const std::string& n) { ASSERT_EQ(unlink(n.c_str()), 0); }, TBvLoadFailure::None,
         bytes.size()},
    };
    ReadSeam seam(HookedRead);
    for (const Case& c : cases) {
        const std::string name = Write(bytes);
        gCalls = 0;
        gFailFrom = c.atCall40 ? 0 : 40;
        gBeforeRead = [&](int fd, int call) {
            if (call == 40 && c.atCall40) c.atCall40(fd, call, name);
        };
        TBvJob job(TBvLoadSource(name), TBvWrap{}, Measure());
        job.Run();
        gBeforeRead = nullptr;
        gFailFrom = 0;
        EXPECT_EQ(job.Failure(), c.failure) << c.what;
        // What was read is split and derived as any text is.
        const size_t held = job.Store().Count() ? size_t(job.Store().Position(job.Store().Count())) : 0;
        EXPECT_LE(held, c.keptBytes) << c.what;
        EXPECT_GT(held, 0u) << c.what;
        ExpectOracles(job, bytes.substr(0, held), c.what);
        if (HasFatalFailure()) return;
    }
}

TEST_F(LoadJobTest, ProgressRisesBelowOneAndADerivationAloneReportsItsOwn)
{
    const std::string bytes = Text(24 << 20, "\r\n", 6);
    const std::string name = Write(bytes);
    gCalls = 0;
    std::vector<double> seen;
    TBvJob* running = nullptr;
    gBeforeRead = [&](int, int call) {
        if (call % 16 == 0 && running) seen.push_back(running->Progress());
    };
    {
        ReadSeam seam(HookedRead);
        TBvJob job(TBvLoadSource(name), TBvWrap{}, Measure());
        running = &job;
        job.Run();
        seen.push_back(job.Progress());
        running = nullptr;
    }
    gBeforeRead = nullptr;
    ASSERT_GT(seen.size(), 10u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen[seen.size() / 2], 0);
    EXPECT_LT(seen.back(), 1);
    EXPECT_GT(seen.back(), 0.9);

    // A derivation of a text held: its own bytes derived, and the same rows as the load's.
    TBvJob load(TBvLoadSource(name), TBvWrap{true, 0, 8}, Measure(120));
    load.Run();
    TBvJob derive(load.Store(), TBvWrap{true, 0, 8}, Measure(120));
    derive.Run();
    EXPECT_GT(derive.Progress(), 0.9);
    ASSERT_EQ(derive.Rows().Count(), load.Rows().Count());
    for (int i = 0; i < derive.Rows().Count(); i += 97)
        EXPECT_EQ(derive.Rows().Piece(i).OrgPos, load.Rows().Piece(i).OrgPos);
}
