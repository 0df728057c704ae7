#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <future>

using platform::FileBytes;
using platform::ReadWholeFile;

namespace {

// Reads on another thread, so that a read that blocks fails the test instead of hanging it;
// unblock() then frees the thread.
bool ReadsFalseAtOnce(const std::string& name, const std::function<void()>& unblock = {})
{
    auto f = std::async(std::launch::async, [name] {
        FileBytes fb;
        const bool ok = ReadWholeFile(name, fb);
        FileBytes::Release(fb.data, fb.mapped);
        return ok;
    });
    if (f.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return !f.get();
    if (unblock) unblock();
    f.wait();
    ADD_FAILURE() << name << " blocked";
    return false;
}

}  // namespace

TEST(FileRead, RegularFilesReadWhole)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("a.txt").toStdString(), empty = dir.filePath("e").toStdString();
    const std::string bytes("a\0b\r\n\x82\xA0\x1A z", 9);
    std::ofstream(name, std::ios::binary) << bytes;
    std::ofstream{empty};
    FileBytes fb;
    ASSERT_TRUE(ReadWholeFile(name, fb));
    EXPECT_EQ(std::string(fb.data, fb.size), bytes);
    FileBytes::Release(fb.data, fb.mapped);
    EXPECT_TRUE(platform::IsReadableRegularFile(name));
    ASSERT_TRUE(ReadWholeFile(empty, fb));
    EXPECT_EQ(fb.size, 0u);
    FileBytes::Release(fb.data, fb.mapped);
}

TEST(FileRead, NonRegularFilesAreNotRead)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath("missing").toStdString(), fifo = dir.filePath("fifo").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FileBytes fb;
    EXPECT_FALSE(ReadWholeFile(missing, fb));
    EXPECT_EQ(fb.data, nullptr);
    EXPECT_TRUE(ReadsFalseAtOnce(dir.path().toStdString()));
    EXPECT_TRUE(ReadsFalseAtOnce("/dev/zero"));
    EXPECT_TRUE(ReadsFalseAtOnce(fifo, [&] { close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); }));
    for (const std::string& n : {missing, fifo, dir.path().toStdString()})
        EXPECT_FALSE(platform::IsReadableRegularFile(n)) << n;
}

TEST(FileRead, AFileTruncatedWhileShownReadsAsNulsInsteadOfCrashing)
{
    // Another program truncates the file (a log rotated by copying and truncating): the pages
    // that are gone read as zero bytes.
    QTemporaryDir dir;
    const std::string name = dir.filePath("log").toStdString();
    const std::string bytes(3 * 65536, 'q');
    std::ofstream(name, std::ios::binary) << bytes;
    FileBytes fb;
    ASSERT_TRUE(ReadWholeFile(name, fb));
    ASSERT_EQ(truncate(name.c_str(), 100), 0);
    EXPECT_EQ(fb.data[50], 'q');
    EXPECT_EQ(fb.data[bytes.size() - 1], 0);
    EXPECT_EQ(fb.data[70000], 0);
    FileBytes::Release(fb.data, fb.mapped);
}
