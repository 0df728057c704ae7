#include "platform/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "support/Utf8Oracle.h"

namespace {
// "テスト.txt" in Shift-JIS: no UTF-8.
const std::string kSjisName("\x83\x65\x83\x58\x83\x67.txt");
}  // namespace

TEST(FileNames, CaptionsDecodeEachComponentAsUtf8OrElseCodePage932)
{
    EXPECT_EQ(platform::DisplayFileName("/home/u/日本.txt"), QStringLiteral("/home/u/日本.txt"));
    EXPECT_EQ(platform::DisplayFileName("/home/ダウンロード/" + kSjisName),
              QStringLiteral("/home/ダウンロード/テスト.txt"));
    EXPECT_EQ(platform::DisplayFileName(""), QString());
}

TEST(FileNames, ANameIsNoUtf8ExactlyWhenQtsListingsSkipIt)
{
    // Every such entry must be in exactly one of Qt's listing and EntriesNotUtf8, or it is shown
    // twice or never.
    // clang-format off
    const std::vector<std::string> names = {
        kSjisName, "plain.txt", "日本.txt", "\x82\xa0\x82\xa2.txt" /* あい.txt */, "\xb1\xb2.txt" /* half-width kana */,
        "\xed\xa0\x80" /* surrogate */, "\xc0\xaf" /* overlong */, "\xe0\x80\xaf", "\xf0\x80\x80\xaf",
        "\xf4\x90\x80\x80" /* past U+10FFFF */, "\xf8\x88\x80\x80\x80", "a\xc3" /* cut short */, "\x80",
        "\xef\xbb\xbf" "bom", "\xef\xbf\xbd" /* U+FFFD itself */, "\xef\xbf\xbe" /* a non-character */,
        "\xf4\x8f\xbf\xbf", "\xf0\x9f\x98\x80", "\x01\x7f", ".\x83\x65"};
    // clang-format on
    QTemporaryDir dir;
    const std::string dirBytes = QFile::encodeName(dir.path()).toStdString();
    for (const std::string& n : names) std::ofstream(dirBytes + "/" + n) << "x";
    std::vector<std::string> listedByQt;
    for (const QString& n :
         QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        listedByQt.push_back(QFile::encodeName(n).toStdString());
    std::vector<std::string> notUtf8;
    for (const platform::TByteNamedEntry& e : platform::EntriesNotUtf8(dirBytes)) notUtf8.push_back(e.name);
    for (const std::string& n : names) {
        const bool listed = std::find(listedByQt.begin(), listedByQt.end(), n) != listedByQt.end();
        const bool ours = std::find(notUtf8.begin(), notUtf8.end(), n) != notUtf8.end();
        const QByteArray hex = QByteArray::fromStdString(n).toHex(' ');
        EXPECT_EQ(platform::IsUtf8Name(QByteArray::fromStdString(n)), listed) << hex.constData();
        EXPECT_EQ(IsWellFormedUtf8(n), listed) << hex.constData();
        EXPECT_NE(ours, listed) << hex.constData();
        unlink((dirBytes + "/" + n).c_str());  // QTemporaryDir cannot remove what Qt cannot list
    }
    EXPECT_EQ(listedByQt.size() + notUtf8.size(), names.size());
}

TEST(FileNames, EntriesThatAreNoUtf8SayWhatTheyLeadTo)
{
    QTemporaryDir dir;
    const std::string d = QFile::encodeName(dir.path()).toStdString() + "/";
    const std::string file = d + kSjisName, folder = d + "\x83\x74\x83\x48", link = d + "\x83\x8a\x83\x93\x83\x4e",
                      dangling = d + "\x8f\xc1\x82\xa6\x82\xbd", fifo = d + "\x83\x70\x83\x43\x83\x76";
    std::ofstream(file) << "x";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    ASSERT_EQ(symlink((d + "gone").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(d + "utf8.txt") << "x";
    std::vector<std::pair<std::string, platform::TByteNamedEntry::Kind>> got;
    for (const platform::TByteNamedEntry& e : platform::EntriesNotUtf8(d)) got.emplace_back(d + e.name, e.kind);
    std::sort(got.begin(), got.end());
    using K = platform::TByteNamedEntry;
    std::vector<std::pair<std::string, platform::TByteNamedEntry::Kind>> want{
        {file, K::File}, {folder, K::Directory}, {link, K::File}, {dangling, K::Other}, {fifo, K::Other}};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    for (const std::string& p : {file, link, dangling, fifo}) unlink(p.c_str());
    rmdir(folder.c_str());
    EXPECT_TRUE(platform::EntriesNotUtf8(d + "missing").empty());
}

TEST(FileNames, ANameThatIsNoUtf8IsFoundAgainFromWhatADialogShows)
{
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/" + kSjisName;
    std::ofstream(path) << "x";
    // What a file dialog lists and hands back: the name with replacement characters.
    const QString shown = dir.path() + QLatin1Char('/') + QFile::decodeName(kSjisName.c_str());
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(platform::LocalFileName(shown), path);
    unlink(path.c_str());  // QTemporaryDir cannot remove what Qt cannot list
    // Names that are UTF-8, existing or not, are taken as they are.
    EXPECT_EQ(platform::LocalFileName(QStringLiteral("/tmp/新しい.txt")), "/tmp/新しい.txt");
}

TEST(FileNames, UriListsGiveTheExactBytesOfLocalFiles)
{
    const QByteArray list = "# comment\r\nfile:///tmp/%83e%83X%83g.txt\r\nhttps://example.invalid/a\r\n"
                            "file://localhost/a%20b\r\n";
    EXPECT_EQ(platform::LocalFilesOfUriList(list), (std::vector<std::string>{"/tmp/" + kSjisName, "/a b"}));
}
