// Where the program's own files are found: beside the program, else in share/tavuko/ of its
// installation, else the place beside it is named.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/ProgramFiles.h"

namespace {

TEST(ProgramFiles, BesideTheProgramFirstThenTheInstallationsDataFolder)
{
    enum Kind { None, File, Folder };
    struct Case {
        Kind beside, installed;
        bool fromShare;  // else the place beside the program
    };
    const Case cases[] = {
        {File, File, false}, {None, File, true},   {File, None, false},
        {None, None, false}, {Folder, File, true}, {Folder, Folder, false},
    };
    for (const Case& c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString share = root.filePath(QStringLiteral("usr/share/tavuko"));
        ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
        const auto make = [](Kind kind, const QString& path) {
            if (kind == Folder) {
                ASSERT_TRUE(QDir().mkdir(path));
            }
            if (kind == File) {
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            }
        };
        make(c.beside, bin + QStringLiteral("/TAVUKO.TXT"));
        make(c.installed, share + QStringLiteral("/TAVUKO.TXT"));
        const QString want = (c.fromShare ? share : bin) + QStringLiteral("/TAVUKO.TXT");
        EXPECT_EQ(ProgramFile(bin, QStringLiteral("TAVUKO.TXT")).toStdString(), want.toStdString())
            << c.beside << " " << c.installed;
    }
}

}  // namespace
