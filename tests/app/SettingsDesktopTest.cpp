// The real program's settings under an X server: started with its config home in a temporary
// folder, it shows the stored colours, and closing it from its menu writes the store file, with
// another program's key kept byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include "platform/UserStore.h"

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

class SettingsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("tavuko"))));
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }
    QString Store() const { return home.filePath(QStringLiteral("tavuko/user.reg")); }

    // Starts the program with its config home here and returns its window, captioned "Tavuko".
    QString Start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // As a desktop launcher starts it: standard input is no pipe to read.
        program.setStandardInputFile(QProcess::nullDevice());
        program.start(ProgramPath, {});
        if (!program.waitForStarted(5000)) return {};
        QString window;
        QElapsedTimer t;
        t.start();
        while (window.isEmpty() && t.elapsed() < 15000 && program.state() == QProcess::Running) {
            window =
                XDoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                         QString::number(program.processId()), QStringLiteral("--name"), QStringLiteral("^Tavuko$")})
                    .section(QLatin1Char('\n'), 0, 0);
            if (window.isEmpty()) QThread::msleep(50);
        }
        return window;
    }
    // Alt+F opens the File menu, X its exit item.
    bool CloseFromMenu(const QString& window)
    {
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QStringLiteral("alt+f"), QStringLiteral("sleep"),
                 QStringLiteral("0.3"), QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
                 QStringLiteral("x")});
        return program.waitForFinished(5000) && program.exitCode() == 0;
    }
    QByteArray StoreBytes() const
    {
        QFile f(Store());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir home;
    QProcess program;
};

TEST_F(SettingsDesktop, StoredColoursShowAndClosingWritesTheStoreKeepingOtherKeys)
{
    const QByteArray other = "Windows Registry Editor Version 5.00\n\n"
                             "; another program's settings\n"
                             "[HKEY_CURRENT_USER\\Software\\Another\\Tool]\n"
                             "\"Path\"=hex(2):25,00,48,00,4F,00,4D,00,45,00,25,00,00,00\n\n";
    {
        QFile f(Store());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(other + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n"
                        "\"BgColor\"=dword:00800000\n\"CcrScroll\"=dword:00000001\n");
    }
    const QString window = Start();
    ASSERT_FALSE(window.isEmpty()) << "no window captioned Tavuko";

    // The view's background is the stored navy blue, not the design black.
    XDoTool({QStringLiteral("windowraise"), window});
    long blue = 0, total = 0;
    QImage shot;
    QElapsedTimer t;
    t.start();
    do {
        shot = QGuiApplication::primaryScreen()->grabWindow(WId(window.toULongLong())).toImage();
        blue = total = 0;
        for (int y = shot.height() / 4; y < shot.height() - 4; ++y)
            for (int x = 4; x < shot.width() - 24; ++x, ++total) {
                const QRgb p = shot.pixel(x, y);
                if (qBlue(p) > 100 && qRed(p) < 40 && qGreen(p) < 40) ++blue;
            }
        if (total && blue * 2 > total) break;
        QThread::msleep(50);
    } while (t.elapsed() < 5000);
    EXPECT_GT(blue * 2, total) << "the stored background colour is not shown";
    if (HasFailure()) shot.save(home.filePath(QStringLiteral("shot.png")));

    ASSERT_TRUE(CloseFromMenu(window)) << "the window did not close from its File menu";
    const QByteArray written = StoreBytes();
    EXPECT_TRUE(written.startsWith(other)) << written.toStdString();
    platform::TRegistry reg(Store());
    ASSERT_EQ(reg.LoadState(), platform::TRegistry::TLoadState::Loaded);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false));
    int32_t bg = 0, ccr = 0, size = 0;
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("BgColor"), bg));
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("CcrScroll"), ccr));
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("FontSize"), size));
    EXPECT_EQ(bg, 0x800000);
    EXPECT_EQ(ccr, 1);
    EXPECT_EQ(size, 9);
    for (const char* name : {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight", "FontName", "FontSize",
                             "FontColor", "BgColor", "CRView", "EditorName", "SmoothScroll", "Last1PageScroll",
                             "ExitEnterKey", "FgWindow", "CRColor", "CcrScroll", "EditorParam"})
        EXPECT_TRUE(reg.ValueExists(QString::fromLatin1(name))) << name;
}

TEST_F(SettingsDesktop, AFirstRunWritesTheWholeStoreWhenClosed)
{
    const QString window = Start();
    ASSERT_FALSE(window.isEmpty()) << "no window captioned Tavuko";
    EXPECT_FALSE(QFile::exists(Store()));
    ASSERT_TRUE(CloseFromMenu(window));
    platform::TRegistry reg(Store());
    ASSERT_EQ(reg.LoadState(), platform::TRegistry::TLoadState::Loaded) << StoreBytes().toStdString();
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false));
    int32_t exitEnter = 0, width = 0;
    QString editor;
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("ExitEnterKey"), exitEnter));
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("WindowWidth"), width));
    EXPECT_TRUE(reg.ReadString(QStringLiteral("EditorName"), editor));
    EXPECT_EQ(exitEnter, 1);
    EXPECT_EQ(width, 522);
    EXPECT_EQ(editor, QStringLiteral("xdg-open"));
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
