#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <atomic>
#include <future>
#include <thread>
#include <sstream>

#include "support/ReadSeam.h"

using platform::TFileReader;

namespace {

// The bytes a reader gives for name, read as a loader does: waiting part by part.
std::string ReadAll(const std::string& name)
{
    TFileReader f;
    if (!f.Open(name)) return "<not opened>";
    f.Start();
    size_t have = 0;
    while (!f.Finished()) have = f.Wait(have);
    have = f.Wait(have);
    return std::string(f.Data() ? f.Data() : "", have);
}

std::string Slurp(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return (std::stringstream() << in.rdbuf()).str();
}

// Opens on another thread, so that an open that blocks fails the test instead of hanging it;
// unblock() then frees the thread.
bool RefusedAtOnce(const std::string& name, const std::function<void()>& unblock = {})
{
    auto f = std::async(std::launch::async, [name] { return TFileReader().Open(name); });
    if (f.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return !f.get();
    if (unblock) unblock();
    f.wait();
    ADD_FAILURE() << name << " blocked";
    return false;
}

struct FileReadTest : ::testing::Test {
    QTemporaryDir dir;
    std::string Write(const char* name, const std::string& bytes)
    {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void TearDown() override { platform::AvailableMemory = platform::SystemAvailableMemory; }
};

std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(i * 131 + (i >> 12));
    return s;
}

}  // namespace

TEST_F(FileReadTest, RegularFilesReadWholeSmallOrOnTheSecondThread)
{
    // Small files are read call by call on the caller's thread, large ones on a second thread.
    for (const std::string& bytes : {std::string(), std::string("a\0b\r\n\x82\xA0\x1A z", 9), Pattern(40 << 20)}) {
        const std::string name = Write("f", bytes);
        EXPECT_TRUE(ReadAll(name) == bytes) << bytes.size();
        EXPECT_TRUE(platform::IsReadableRegularFile(name));
    }
}

TEST_F(FileReadTest, NonRegularFilesAreRefusedAtOnce)
{
    const std::string missing = dir.filePath("missing").toStdString(), fifo = dir.filePath("fifo").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(RefusedAtOnce(missing));
    EXPECT_TRUE(RefusedAtOnce(dir.path().toStdString()));
    EXPECT_TRUE(RefusedAtOnce("/dev/zero"));
    EXPECT_TRUE(RefusedAtOnce(fifo, [&] { close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); }));
    for (const std::string& n : {missing, fifo, dir.path().toStdString()})
        EXPECT_FALSE(platform::IsReadableRegularFile(n)) << n;
}

TEST_F(FileReadTest, KernelFilesThatReportNoSizeAreReadToTheirEnd)
{
    struct stat st;
    ASSERT_EQ(stat("/proc/self/cmdline", &st), 0);
    ASSERT_EQ(st.st_size, 0);
    // The reader's own command line, as the kernel gives it to every reader of the file.
    EXPECT_EQ(ReadAll("/proc/self/cmdline"), Slurp("/proc/self/cmdline"));
    const std::string cpuinfo = ReadAll("/proc/cpuinfo");
    EXPECT_EQ(cpuinfo.rfind("processor", 0), 0u) << cpuinfo.substr(0, 40);
    EXPECT_GT(cpuinfo.size(), 64u);
}

TEST_F(FileReadTest, WhatWasReadStaysWhateverHappensToTheFile)
{
    const std::string bytes = Pattern(3 << 16);
    const std::string name = Write("log", bytes);
    TFileReader f;
    ASSERT_TRUE(f.Open(name));
    f.Start();
    size_t have = 0;
    while (!f.Finished()) have = f.Wait(have);
    ASSERT_EQ(truncate(name.c_str(), 100), 0);
    Write("log", "rewritten");
    ASSERT_EQ(unlink(name.c_str()), 0);
    EXPECT_TRUE(std::string(f.Data(), have) == bytes);
}

TEST_F(FileReadTest, ShortReadsAreContinuedAndAReadErrorEndsTheBytesThere)
{
    const std::string bytes = Pattern(20000);
    const std::string name = Write("f", bytes);
    {
        // At most 777 bytes a call: every byte still arrives.
        ReadSeam seam([](int fd, void* b, size_t n) { return ::read(fd, b, std::min<size_t>(n, 777)); });
        EXPECT_TRUE(ReadAll(name) == bytes);
    }
    {
        // An I/O error after 5000 bytes.
        ReadSeam seam([](int fd, void* b, size_t n) -> ssize_t {
            const off_t at = lseek(fd, 0, SEEK_CUR);
            if (at >= 5000) {
                errno = EIO;
                return -1;
            }
            return ::read(fd, b, std::min<size_t>(n, size_t(5000 - at)));
        });
        EXPECT_TRUE(ReadAll(name) == bytes.substr(0, 5000));
    }
}

TEST_F(FileReadTest, AFileLargerThanTheMemoryLeftIsRefusedBeforeReading)
{
    const std::string name = Write("f", Pattern(1 << 20));
    platform::AvailableMemory = [] { return uint64_t(32) << 20; };
    TFileReader f;
    ASSERT_TRUE(f.Open(name));
    EXPECT_THROW(f.Start(), std::bad_alloc);
}

TEST_F(FileReadTest, MemoryThatRunsOutWhileReadingStopsTheRead)
{
    // 200 MiB on the second thread; the memory left shrinks to nothing after the first 64 MiB.
    const std::string name = dir.filePath("big").toStdString();
    close(open(name.c_str(), O_WRONLY | O_CREAT, 0600));
    ASSERT_EQ(truncate(name.c_str(), off_t(200) << 20), 0);
    static std::atomic<int> calls{0};
    calls = 0;
    platform::AvailableMemory = [] { return calls++ == 0 ? uint64_t(1) << 40 : uint64_t(0); };
    TFileReader f;
    ASSERT_TRUE(f.Open(name));
    f.Start();
    size_t have = 0;
    EXPECT_THROW(
        {
            while (!f.Finished()) have = f.Wait(have);
            f.Wait(have);
        },
        std::bad_alloc);
    EXPECT_LT(have, size_t(200) << 20);
}

TEST_F(FileReadTest, PipesAndFifosAreReadToTheirEndWhenStreamsAreTaken)
{
    const std::string bytes = Pattern(300000);
    // The writer writes in parts, pausing between them, and then closes its end.
    const auto writeSlowly = [&](int fd) {
        for (size_t at = 0; at < bytes.size(); at += 70000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const size_t n = std::min<size_t>(70000, bytes.size() - at);
            for (size_t done = 0; done < n;) done += size_t(write(fd, bytes.data() + at + done, n - done));
        }
        close(fd);
    };
    {
        int p[2];
        ASSERT_EQ(pipe(p), 0);
        TFileReader f;
        ASSERT_TRUE(f.Open(p[0], true));
        EXPECT_TRUE(f.Stream());
        std::thread writer(writeSlowly, p[1]);
        f.Start();
        writer.join();
        EXPECT_TRUE(f.Finished());
        EXPECT_FALSE(f.ReadFailed());
        EXPECT_TRUE(std::string(f.Data(), f.Wait(0)) == bytes);
    }
    {
        // A FIFO opened before its writer comes waits for it instead of ending empty.
        const std::string fifo = dir.filePath("fifo").toStdString();
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        TFileReader f;
        ASSERT_TRUE(f.Open(fifo, true));
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            writeSlowly(open(fifo.c_str(), O_WRONLY));
        });
        f.Start();
        writer.join();
        EXPECT_TRUE(std::string(f.Data(), f.Wait(0)) == bytes);
    }
    {
        // Without streams a pipe is refused, as any device is.
        int p[2];
        ASSERT_EQ(pipe(p), 0);
        TFileReader f;
        EXPECT_FALSE(f.Open(p[0]));
        EXPECT_EQ(f.OpenError(), ENODEV);
        close(p[1]);
    }
}

TEST_F(FileReadTest, AStopReachesAReaderWaitingForAQuietWriter)
{
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    ASSERT_EQ(write(p[1], "abc", 3), 3);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> read{0};
    TFileReader f;
    ASSERT_TRUE(f.Open(p[0], true));
    f.StopWhen(&stop);
    f.ReportTo(&read);
    std::thread stopper([&] {
        // The bytes that came are counted while the reader waits for more.
        for (int i = 0; i < 200 && read.load() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop = true;
    });
    const auto t0 = std::chrono::steady_clock::now();
    f.Start();
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    EXPECT_EQ(read.load(), 3u);
    EXPECT_TRUE(f.Finished());
    close(p[1]);
}
