// The real program under an X server: started on a Shift-JIS file, found by its caption, its
// pixels checked for text, closed from its File menu by keyboard.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

struct Census {
    long black = 0, bright = 0, total = 0;
};

// Counts the view's pixels below the menu bar: black background, bright text.
Census CountPixels(const QImage& img)
{
    Census c;
    for (int y = img.height() / 6; y < img.height() - 4; ++y)
        for (int x = 4; x < img.width() - 24; ++x) {
            const QRgb p = img.pixel(x, y);
            const int lo = std::min({qRed(p), qGreen(p), qBlue(p)}), hi = std::max({qRed(p), qGreen(p), qBlue(p)});
            ++c.total;
            if (hi < 40) ++c.black;
            else if (lo > 180) ++c.bright;
        }
    return c;
}

TEST(Desktop, ProgramShowsAShiftJisFileInItsWindowAndClosesFromItsMenu)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("sjis_sample.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // "日本語のテキスト" in Shift-JIS, then ASCII, over many lines.
        const QByteArray jp("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67");
        for (int i = 0; i < 40; ++i)
            f.write(jp + " The quick brown fox jumps over the lazy dog. " + QByteArray::number(i) + "\r\n");
    }

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();

    QString window;
    QElapsedTimer t;
    t.start();
    while (window.isEmpty() && t.elapsed() < 15000 && program.state() == QProcess::Running) {
        window = XDoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QStringLiteral("/sjis_sample\\.txt - Tavuko$")})
                     .section(QLatin1Char('\n'), 0, 0);
        if (window.isEmpty()) QThread::msleep(50);
    }
    ASSERT_FALSE(window.isEmpty()) << "no window captioned with the file name";
    const WId id = WId(window.toULongLong());

    XDoTool({QStringLiteral("windowraise"), window});
    Census c;
    QImage shot;
    t.restart();
    do {
        shot = QGuiApplication::primaryScreen()->grabWindow(id).toImage();
        c = CountPixels(shot);
        if (c.total && c.bright * 200 > c.total && c.black * 2 > c.total) break;
        QThread::msleep(50);
    } while (t.elapsed() < 5000);
    ASSERT_GT(c.total, 0);
    EXPECT_GT(c.black * 2, c.total) << "the view's background is not black";
    EXPECT_GT(c.bright * 200, c.total) << "no text drawn: " << c.bright << " bright of " << c.total;
    EXPECT_LT(c.bright * 3, c.total);
    if (HasFailure()) shot.save(dir.filePath(QStringLiteral("shot.png")));

    // Alt+F opens the File menu, X its exit item; the open menu holds the keyboard.
    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("alt+f"), QStringLiteral("sleep"),
             QStringLiteral("0.3"), QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("x")});
    const bool closed = program.waitForFinished(5000);
    if (!closed) {
        program.kill();
        program.waitForFinished();
    }
    EXPECT_TRUE(closed) << "the window did not close from its File menu";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
