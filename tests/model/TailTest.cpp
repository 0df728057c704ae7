// Following a growing file: the lines taken from what was appended, part by part, are those a
// load of the whole file gives.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "model/BvTail.h"
#include "support/FileLineOracle.h"
#include "support/TailOracle.h"

namespace {

using Parts = std::vector<std::string>;

std::string Joined(const Parts& parts)
{
    std::string all;
    for (const std::string& p : parts) all += p;
    return all;
}

TEST(Tail, AppendedPartsGiveTheLinesOfTheWholeFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("log").toStdString();
    const size_t all = size_t(1) << 30;
    struct {
        Parts parts;
        size_t most;
        int agains;  // whole loads the appends lead to
    } cases[] = {
        // clang-format off
        {{"a\nb", "c\nd\n", "e"}, all, 0},           // a last line without its end is completed
        {{"", "x\ny", "", "z"}, all, 0},              // from an empty file; an empty write
        {{"a\r", "\nb\r\n", "c\r", "d"}, all, 0},     // a CR LF cut between two writes is one line end
        {{"a\r", "b\nc\r", "\n"}, all, 0},            // after a CR, a lone LF stays in its line
        {{"a\nb\n", "c\r\nd"}, all, 1},               // the first CR splits every earlier line anew
        {{"a\nb", "\n", "\n\n"}, all, 0},             // empty lines
        {{"a\n", "b\x1A" "c\n", "d\n"}, all, 0},      // the text ends at 0x1A, whatever follows
        {{"a\n\x1A", "b\n"}, all, 0},
        {{"ab", "cdefghij\nklm\nn", "opq\r\n"}, 3, 1},  // read three new bytes at a time
        {{"x\r\n", "0123456789\r\n\r\n", "y\r", "\r\n"}, 2, 0},
        {{"\x82\xA0\n\x82", "\xA2\n"}, all, 0},       // a two-byte character cut between writes
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.parts) + " most " + std::to_string(c.most));
        const TFollowed r = FollowParts(path, c.parts, c.most);
        ASSERT_FALSE(r.failed);
        EXPECT_EQ(r.lines, FileLines(Joined(c.parts)));
        EXPECT_EQ(r.agains, c.agains);
    }
}

TEST(Tail, TextsNotHeldInTheFilesBytesAreReadWholeAgain)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("log").toStdString();
    // UTF-8 after its byte order mark is followed by appending; UTF-16 is read whole again.
    const Parts utf8{"\xEF\xBB\xBF\xE6\x97\xA5\n\xE6", "\x9C\xAC\n"};
    TFollowed r = FollowParts(path, utf8, size_t(1) << 20, std::nullopt);
    EXPECT_EQ(r.lines, FileLines(Joined(utf8).substr(3)));
    EXPECT_EQ(r.agains, 0);
    // clang-format off
    const Parts utf16{std::string("\xFF\xFE" "a\0\n\0", 6), std::string("b\0\n\0", 4)};
    // clang-format on
    r = FollowParts(path, utf16, size_t(1) << 20, std::nullopt);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(r.agains, 1);
}

TEST(Tail, AFileThatShrankIsReadAgain)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("log").toStdString();
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("one\ntwo\n", f);
    std::fclose(f);
    TBvStrings s;
    TBvLoadFile(TBvLoadSource(path), s);
    std::optional<TBvTail> tail = TBvTail::Of(s);
    ASSERT_TRUE(tail);
    const int fd = open(path.c_str(), O_RDONLY);
    EXPECT_EQ(tail->Read(fd, 8).what, TBvTail::TStep::Nothing);
    EXPECT_EQ(tail->Read(fd, 4).what, TBvTail::TStep::Again);
    // A size that says more than the file has (it was cut meanwhile) is a shrink too.
    ASSERT_EQ(ftruncate(open(path.c_str(), O_WRONLY), 2), 0);
    EXPECT_EQ(tail->Read(fd, 20).what, TBvTail::TStep::Again);
    close(fd);
}

TEST(Tail, RandomWritesGiveTheLinesOfTheWholeFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("log").toStdString();
    std::mt19937 rng(21);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\n', '\x82', '\xA0', ' '};
    for (int round = 0; round < 300; ++round) {
        Parts parts(1 + rng() % 6);
        for (std::string& p : parts) {
            p.resize(rng() % 12);
            for (char& ch : p) ch = alphabet[rng() % sizeof alphabet];
        }
        const size_t most = 1 + rng() % 16;
        const TFollowed r = FollowParts(path, parts, most);
        ASSERT_FALSE(r.failed);
        ASSERT_EQ(r.lines, FileLines(Joined(parts))) << ::testing::PrintToString(parts) << " most " << most;
    }
}

}  // namespace
