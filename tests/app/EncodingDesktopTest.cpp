// The real program under an X server on a UTF-8 file: found by its caption, dragged over with
// the pointer, copied with Ctrl+C; another program (xclip) reads the exact Unicode text from the
// clipboard, characters Shift-JIS lacks included.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

bool Dark(QRgb p) { return std::max({qRed(p), qGreen(p), qBlue(p)}) < 40; }

TEST(EncodingDesktop, AUtf8FileIsDraggedOverAndCopiedAsItsExactText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = QString::fromUtf8("한글 😀 café 漢字 abc\r\n二行目 ①");
    const QString file = dir.filePath(QStringLiteral("utf8_sample.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8() + "\r\n");
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
    struct Stop {
        QProcess& p;
        ~Stop()
        {
            p.kill();
            p.waitForFinished();
        }
    } stop{program};

    QString window;
    ASSERT_TRUE(WaitFor([&] {
        return !(window = FindWindow(QStringLiteral("/utf8_sample\\.txt - Tavuko$"))).isEmpty();
    })) << "no window captioned with the file name";
    XDoTool({QStringLiteral("windowraise"), window});
    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});

    // The view: the black area under the menu bar. Its first row holds the first line.
    QImage shot;
    int top = -1, left = -1;
    ASSERT_TRUE(WaitFor([&] {
        shot = QGuiApplication::primaryScreen()->grabWindow(WId(window.toULongLong())).toImage();
        const int mid = shot.width() / 2;
        for (int y = 0; y < shot.height() && top < 0; ++y)
            if (Dark(shot.pixel(mid, y)) && Dark(shot.pixel(mid, y + 1))) top = y;
        for (int x = 0; top >= 0 && x < shot.width() && left < 0; ++x)
            if (Dark(shot.pixel(x, top + 3))) left = x;
        return top >= 0 && left >= 0;
    })) << "no view found";

    // A drag from the left margin of the first row to below the text selects all of it.
    const QString base = XDoTool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    int wx = 0, wy = 0;
    for (const QString& line : base.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("X="))) wx = line.mid(2).toInt();
        if (line.startsWith(QStringLiteral("Y="))) wy = line.mid(2).toInt();
    }
    const QString x0 = QString::number(wx + left + 1), y0 = QString::number(wy + top + 6);
    const QString x1 = QString::number(wx + shot.width() / 2), y1 = QString::number(wy + shot.height() - 20);
    XDoTool({QStringLiteral("mousemove"), QStringLiteral("--sync"), x0, y0, QStringLiteral("mousedown"),
             QStringLiteral("1"), QStringLiteral("mousemove"), QStringLiteral("--sync"), x1, y0,
             QStringLiteral("mousemove"), QStringLiteral("--sync"), x1, y1, QStringLiteral("mouseup"),
             QStringLiteral("1"), QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+c")});

    QString copied;
    EXPECT_TRUE(WaitFor(
        [&] {
            copied = RunTool(QStringLiteral("xclip"),
                             {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                              QStringLiteral("-t"), QStringLiteral("UTF8_STRING")},
                             3000);
            return copied == text;
        },
        8000))
        << "the clipboard holds \"" << copied.toStdString() << "\"";
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
