// The file loader: line rules (checked against the plain oracle), snapshots, read errors,
// sizes that cannot load, progress and abandoning.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "model/BvLines.h"
#include "model/BvLoad.h"
#include "model/BvStrings.h"
#include "platform/Exception.h"
#include "support/CellMeasure.h"
#include "support/FileLineOracle.h"
#include "support/ReadSeam.h"

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

namespace {

Lines Of(const TBvStrings& s)
{
    Lines out;
    for (int i = 0; i < s.Count(); ++i) out.push_back(s.Get(i).str());
    return out;
}

// (OrgIndex, OrgPos, Len) of every display line.
std::vector<std::tuple<int, int, int>> Pieces(const TBvLines& l)
{
    std::vector<std::tuple<int, int, int>> out;
    for (int i = 0; i < l.GetCount(); ++i) out.emplace_back(l.Info(i).OrgIndex, l.Info(i).OrgPos, l.Info(i).Len);
    return out;
}

std::string Slurp(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return (std::stringstream() << in.rdbuf()).str();
}

struct LoadTest : ::testing::Test {
    QTemporaryDir dir;
    TBvStrings s;
    std::string Path(const char* name = "t.txt") const { return dir.filePath(name).toStdString(); }
    std::string Write(const std::string& bytes, const char* name = "t.txt")
    {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
        return Path(name);
    }
    Lines Load(const std::string& bytes)
    {
        s.LoadFromFile(Write(bytes));
        EXPECT_EQ(s.Capacity(), s.Count());
        return Of(s);
    }
    void TearDown() override { platform::AvailableMemory = platform::SystemAvailableMemory; }
};

// Bytes read through the seam since it was set, and a limit per call.
std::atomic<uint64_t> gRead{0};
std::atomic<size_t> gPerCall{0};
ssize_t CountingRead(int fd, void* b, size_t n)
{
    if (gPerCall) n = std::min(n, gPerCall.load());
    const ssize_t r = ::read(fd, b, n);
    if (r > 0) gRead += uint64_t(r);
    return r;
}

}  // namespace

TEST_F(LoadTest, UnixCrLfMixedAndCrOnlyFiles)
{
    using E = TBvLineEnds;
    struct Case {
        std::string bytes;
        Lines lines;
        E ends;  // the kinds of line end the lines were split at
    };
    const std::vector<Case> cases = {
        // No CR before the first 0x1A: LF ends a line.
        {"a\nb\n", {"a", "b"}, E::Lf},
        {"a\n\nb", {"a", "", "b"}, E::Lf},
        {"\n", {""}, E::Lf},
        {"\n\n", {"", ""}, E::Lf},
        {"a\nb\x1A\r\n", {"a", "b"}, E::Lf},
        {"a", {"a"}, E::None},
        {"", {}, E::None},
        // With a CR anywhere, exactly the CR rule: a lone LF stays in its line.
        {"a\r\nb\r\n", {"a", "b"}, E::CrLf},
        {"a\nb\r\n", {"a\nb"}, E::CrLf},
        {"a\nb\nc\rd\ne", {"a\nb\nc", "d\ne"}, E::Cr},
        {"x\n\n\ry", {"x\n\n", "y"}, E::Cr},
        {"\ra\nb", {"", "a\nb"}, E::Cr},
        {"a\rb\rc", {"a", "b", "c"}, E::Cr},
        {"a\r\r\n", {"a", ""}, E::Mixed},
        {"a\r", {"a"}, E::Cr},
        {"a\r\nb\r\nc\rd", {"a", "b", "c", "d"}, E::Mixed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.bytes), c.lines) << testing::PrintToString(c.bytes);
        EXPECT_EQ(s.LineEnds(), c.ends) << testing::PrintToString(c.bytes);
        EXPECT_EQ(FileLines(c.bytes), c.lines) << "oracle: " << testing::PrintToString(c.bytes);
        EXPECT_EQ(FileLineEnds(c.bytes), int(c.ends)) << "oracle: " << testing::PrintToString(c.bytes);
    }
    // Lines given one by one have no line ends of their own.
    s.Clear();
    s.Add("a");
    EXPECT_EQ(s.LineEnds(), E::None);
}

TEST_F(LoadTest, RandomFilesSplitAsTheOracleDoesInPartsOfAnySize)
{
    // Bytes drawn mostly from the line-end bytes, read a few bytes per call so that every line
    // end, CR LF pair and 0x1A meets a part boundary somewhere.
    ReadSeam seam(CountingRead);
    std::mt19937 rng(8);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\n', '\x1A', '\x82', '\0'};
    for (int round = 0; round < 300; ++round) {
        std::string bytes(rng() % 60, 'a');
        const int kinds = round % 3 == 0 ? 8 : round % 3 == 1 ? 5 : 2;  // some files without CR
        for (char& ch : bytes) {
            ch = alphabet[rng() % kinds];
            if (kinds == 5 && ch == '\r') ch = '\n';
        }
        gPerCall = 1 + rng() % 7;
        EXPECT_EQ(Load(bytes), FileLines(bytes)) << testing::PrintToString(bytes) << " per call " << gPerCall;
        EXPECT_EQ(int(s.LineEnds()), FileLineEnds(bytes)) << testing::PrintToString(bytes);
    }
    gPerCall = 0;
}

TEST_F(LoadTest, LargeFilesSplitTheSameWhileTheSecondThreadReads)
{
    // Large enough to be read on the second thread; a Unix text, then the same with a CR deep inside.
    std::string bytes;
    for (int i = 0; bytes.size() < (40u << 20); ++i) bytes += "line " + std::to_string(i) + "\n";
    for (const size_t cr : {std::string::npos, bytes.size() / 2}) {
        if (cr != std::string::npos) bytes[cr] = '\r';
        Load(bytes);
        const Lines want = FileLines(bytes);
        ASSERT_EQ(s.Count(), int(want.size()));
        // Compared quietly: a failure prints the first line that differs, not forty megabytes.
        const auto diff = std::mismatch(want.begin(), want.end(), Of(s).begin());
        EXPECT_TRUE(diff.first == want.end()) << "line " << (diff.first - want.begin()) << ": "
                                              << diff.first->substr(0, 40) << " / " << diff.second->substr(0, 40);
    }
}

TEST_F(LoadTest, TheTextIsASnapshotWhateverHappensToTheFile)
{
    // The text, the display lines and the bytes a copy would read stay as loaded.
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "\x82\xa0"
                 "line " +
                 std::to_string(i) + " of the file\r\n";
    CellMeasure m;
    m.client = 60;
    TBvLines lines(s, m);
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> changes = {
        {"rewritten in place",
         [](const std::string& n) { std::ofstream(n, std::ios::binary | std::ios::in) << std::string(50000, 'Z'); }},
        {"truncated", [](const std::string& n) { ASSERT_EQ(truncate(n.c_str(), 10), 0); }},
        {"grown",
         [](const std::string& n) { std::ofstream(n, std::ios::binary | std::ios::app) << std::string(9999, '\r'); }},
        {"deleted", [](const std::string& n) { ASSERT_EQ(unlink(n.c_str()), 0); }},
        {"replaced",
         [](const std::string& n) {
             std::ofstream(n + ".new") << "other";
             ASSERT_EQ(rename((n + ".new").c_str(), n.c_str()), 0);
         }},
    };
    for (const auto& [what, change] : changes) {
        const std::string name = Write(bytes);
        s.LoadFromFile(name);
        lines.CalcBvLines(0);
        const Lines text = Of(s);
        const auto pieces = Pieces(lines);
        const TBvText whole = s.GetTextStr();
        change(name);
        EXPECT_EQ(Of(s), text) << what;
        EXPECT_EQ(Pieces(lines), pieces) << what;
        EXPECT_TRUE(s.GetTextStr() == whole) << what;
        lines.CalcBvLines(0);
        EXPECT_EQ(Pieces(lines), pieces) << what;
    }
}

TEST_F(LoadTest, SavingBackToTheSameFileWritesTheTextShown)
{
    const std::string name = Write("a\r\nb\nc\rd");
    s.LoadFromFile(name);
    s.SaveToFile(name);
    EXPECT_EQ(Slurp(name), "a\r\nb\nc\r\nd\r\n");
    s.LoadFromFile(name);
    EXPECT_THAT(Of(s), ElementsAre("a", "b\nc", "d"));
}

TEST_F(LoadTest, AReadErrorInTheMiddleEndsTheTextThere)
{
    const std::string name = Write("one\r\ntwo\r\nthree\r\nfour\r\n");
    ReadSeam seam([](int fd, void* b, size_t n) -> ssize_t {
        const off_t at = lseek(fd, 0, SEEK_CUR);
        if (at >= 12) {  // "one\r\ntwo\r\nth" arrived, then the device fails
            errno = EIO;
            return -1;
        }
        return ::read(fd, b, std::min<size_t>(n, size_t(12 - at)));
    });
    s.LoadFromFile(name);
    EXPECT_THAT(Of(s), ElementsAre("one", "two", "th"));
}

TEST_F(LoadTest, KernelFilesThatReportSizeZeroAreRead)
{
    s.LoadFromFile("/proc/cpuinfo");
    ASSERT_GT(s.Count(), 1);
    EXPECT_EQ(s.Get(0).str().rfind("processor", 0), 0u);
    EXPECT_EQ(s.Get(0).str().find('\n'), std::string::npos);  // a Unix text
}

TEST_F(LoadTest, ALinePastTwoGibibytesIsRefusedAsSoonAsItGetsThere)
{
    // A sparse 3 GiB file with no line end: one line. The load stops with the range error
    // after reading a little past 2 GiB, not after reading the file.
    const std::string name = Path("sparse");
    close(open(name.c_str(), O_WRONLY | O_CREAT, 0600));
    ASSERT_EQ(truncate(name.c_str(), off_t(3) << 30), 0);
    s.Add("old");
    gRead = 0;
    ReadSeam seam(CountingRead);
    try {
        s.LoadFromFile(name);
        ADD_FAILURE() << "no range error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), TBvStrings::RangeErrorText);
    }
    EXPECT_LT(gRead.load(), (uint64_t(2) << 30) + (uint64_t(256) << 20));
    EXPECT_EQ(std::pair(s.Count(), s.Capacity()), std::pair(0, 0));
}

TEST_F(LoadTest, AFileLargerThanTheMemoryLeftGivesTheOutOfMemoryPath)
{
    const std::string name = Write(std::string(4 << 20, 'x'));
    platform::AvailableMemory = [] { return uint64_t(16) << 20; };
    s.Add("old");
    EXPECT_THROW(s.LoadFromFile(name), std::bad_alloc);
    EXPECT_EQ(std::pair(s.Count(), s.Capacity()), std::pair(0, 0));
}

TEST_F(LoadTest, ProgressSeesThePartsArriveAndTheStopFlagCancelsTheLoad)
{
    const std::string bytes = std::string(5000, 'a') + "\n" + std::string(5000, 'b');
    const std::string name = Write(bytes);
    gPerCall = 1000;
    ReadSeam seam(CountingRead);
    // Told after every part, on the loading thread.
    struct Parts : TBvLineSink {
        TBvLoadProgress counts;
        std::atomic<bool> stop{false};
        std::vector<uint64_t> read;
        uint64_t stopAt = UINT64_MAX;
        void Published(int) override
        {
            EXPECT_EQ(counts.split.load(), counts.read.load());
            read.push_back(counts.read);
            if (counts.read >= stopAt) stop = true;
        }
        void Restart() override {}
        bool Help() override { return false; }
    } parts;
    EXPECT_EQ(TBvLoadFile(name, s, &parts.stop, &parts.counts, &parts), TBvLoadFailure::None);
    EXPECT_EQ(Of(s), FileLines(bytes));
    EXPECT_EQ(parts.counts.total, bytes.size());
    EXPECT_EQ(parts.read.back(), bytes.size());
    EXPECT_GE(parts.read.size(), 11u);
    EXPECT_TRUE(std::is_sorted(parts.read.begin(), parts.read.end()));

    // Stopped halfway: cancelled, and the store holds nothing.
    parts.stopAt = 7000;
    EXPECT_EQ(TBvLoadFile(name, s, &parts.stop, &parts.counts, &parts), TBvLoadFailure::Cancelled);
    EXPECT_EQ(std::pair(s.Count(), s.Capacity()), std::pair(0, 0));
    EXPECT_LT(parts.counts.read, bytes.size());
    gPerCall = 0;
}
