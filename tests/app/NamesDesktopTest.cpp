// The real program under an X server: a Shift-JIS file name from a Windows archive, chosen in
// the Open dialog by keys that xdotool sends, opens that very file and names it in the title.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <unistd.h>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

// The share of bright (text) pixels among the view's, below the menu bar.
double TextShare(WId id)
{
    const QImage img = QGuiApplication::primaryScreen()->grabWindow(id).toImage();
    long bright = 0, total = 0;
    for (int y = img.height() / 6; y < img.height() - 4; ++y)
        for (int x = 4; x < img.width() - 24; ++x, ++total)
            bright += std::min({qRed(img.pixel(x, y)), qGreen(img.pixel(x, y)), qBlue(img.pixel(x, y))}) > 180;
    return total ? double(bright) / double(total) : 0;
}

TEST(NamesDesktop, AShiftJisNameChosenInTheOpenDialogOpensThatFile)
{
    QTemporaryDir dir, config;
    ASSERT_TRUE(dir.isValid() && config.isValid());
    const std::string d = QFile::encodeName(dir.path()).toStdString() + "/";
    const std::string sjis = d + "\x82\xa0\x82\xa2.txt";  // あい.txt in Shift-JIS
    {
        std::ofstream f(sjis, std::ios::binary);
        for (int i = 0; i < 40; ++i)
            f << "\x93\xfa\x96\x7b\x8c\xea the file whose name is Shift-JIS, line " << i << "\r\n";
    }
    // QTemporaryDir cannot remove what Qt cannot list.
    struct Unlink {
        std::string path;
        ~Unlink() { unlink(path.c_str()); }
    } removeSjis{sjis};
    std::ofstream(d + "start.txt");  // empty, as is the UTF-8 twin: opening either shows nothing
    std::ofstream(d + "あい.txt");

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.setWorkingDirectory(dir.path());  // where the Open dialog starts
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());  // no folder remembered from other runs
    program.setProcessEnvironment(env);
    program.start(ProgramPath, {dir.filePath(QStringLiteral("start.txt"))});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
    const auto stop = [&] {
        program.terminate();
        if (!program.waitForFinished(3000)) {
            program.kill();
            program.waitForFinished();
        }
    };

    QString window;
    ASSERT_TRUE(
        WaitFor([&] { return !(window = FindWindow(QStringLiteral("/start\\.txt - Tavuko$"))).isEmpty(); }, 15000))
        << "no window captioned with the file name";
    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+o")});
    QString dialog;
    EXPECT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^ファイルを開く$"))).isEmpty(); }, 5000))
        << "the Open dialog did not open";
    if (!dialog.isEmpty()) {
        // From the name box back to the list of names that are no UTF-8; Enter on its first row.
        QThread::msleep(500);
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("shift+Tab"),
                 QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    }
    const QString want = dir.path() + QStringLiteral("/あい.txt - Tavuko");
    QString title;
    EXPECT_TRUE(WaitFor(
        [&] {
            return (title = XDoTool({QStringLiteral("getwindowname"), window})) == want;
        },
        5000))
        << "title: " << title.toStdString();
    EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^ファイルを開く$")).isEmpty(); }, 3000))
        << "the dialog stayed open";
    double share = 0;
    EXPECT_TRUE(WaitFor([&] { return (share = TextShare(WId(window.toULongLong()))) > 0.005; }, 3000))
        << "no text on view: the file opened is not the Shift-JIS one (" << share << " bright)";
    stop();
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
