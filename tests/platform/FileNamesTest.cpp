#include "platform/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>

namespace {
// "テスト.txt" in Shift-JIS: no UTF-8.
const std::string kSjisName("\x83\x65\x83\x58\x83\x67.txt");
}  // namespace

TEST(FileNames, CaptionsDecodeEachComponentAsUtf8OrElseCodePage932)
{
    EXPECT_EQ(platform::DisplayFileName("/home/u/日本.txt"), QStringLiteral("/home/u/日本.txt"));
    EXPECT_EQ(platform::DisplayFileName("/home/ダウンロード/" + kSjisName), QStringLiteral("/home/ダウンロード/テスト.txt"));
    EXPECT_EQ(platform::DisplayFileName(""), QString());
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
    // Names that are UTF-8, existing or not, are taken as they are.
    EXPECT_EQ(platform::LocalFileName(QStringLiteral("/tmp/新しい.txt")), "/tmp/新しい.txt");
}

TEST(FileNames, UriListsGiveTheExactBytesOfLocalFiles)
{
    const QByteArray list = "# comment\r\nfile:///tmp/%83e%83X%83g.txt\r\nhttps://example.invalid/a\r\n"
                            "file://localhost/a%20b\r\n";
    EXPECT_EQ(platform::LocalFilesOfUriList(list), (std::vector<std::string>{"/tmp/" + kSjisName, "/a b"}));
}
