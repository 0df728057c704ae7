// The real program under an X server: started on a Shift-JIS file, Ctrl+F, a Japanese find text
// pasted into the dialog from the clipboard (xclip), Enter; the view shows other rows and the
// window's title carries the find text.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

// The view's rows: the window below its menu bar, without the scroll bar.
QImage Rows(WId id)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(id).toImage();
    return shot.copy(4, shot.height() / 6, shot.width() - 30, shot.height() * 2 / 3);
}

long Differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return -1;
    long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(FindDesktop, AJapaneseTextPastedIntoTheDialogMovesTheViewAndNamesItselfInTheTitle)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("find_sample.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // ASCII rows, then on row 45 "検索対象の行" in Shift-JIS among Japanese text.
        for (int i = 0; i < 80; ++i) {
            if (i == 45) f.write("\x93\xfa\x96\x7b\x8c\xea \x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xcc\x8d\x73\r\n");
            else f.write("line " + QByteArray::number(i) + " of plain ASCII words, over and over.\r\n");
        }
    }

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
    QProcess xclip;
    auto stop = [&] {
        for (QProcess* p : {&program, &xclip}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished();
            }
        }
    };

    QString window;
    ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(QStringLiteral("/find_sample\\.txt - Tavuko$"))).isEmpty(); }, 15000))
        << "no window captioned with the file name";
    const WId id = WId(window.toULongLong());
    XDoTool({QStringLiteral("windowraise"), window});
    QThread::msleep(300);
    const QImage before = Rows(id);

    // The find text on the clipboard, served by xclip until the test ends.
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    ASSERT_TRUE(xclip.waitForStarted(3000));
    xclip.write(QStringLiteral("検索対象").toUtf8());
    xclip.waitForBytesWritten(3000);  // no event loop here to write it
    xclip.closeWriteChannel();
    QThread::msleep(200);

    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+f")});
    QString dialog;
    EXPECT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^検索$"))).isEmpty(); }, 5000))
        << "the find dialog did not open";
    if (!dialog.isEmpty()) {
        // The modal dialog has the keyboard.
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+v"), QStringLiteral("sleep"),
                 QStringLiteral("0.3")});
        if (const char* keep = std::getenv("TAVUKO_SHOTS"))
            QGuiApplication::primaryScreen()->grabWindow(WId(dialog.toULongLong())).save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-dialog.png"));
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    }
    const QString suffix = QStringLiteral(" - Tavuko (検索\"検索対象\")");
    QString title;
    EXPECT_TRUE(WaitFor([&] { return (title = XDoTool({QStringLiteral("getwindowname"), window})).endsWith(suffix); }, 5000))
        << "title: " << title.toStdString();
    EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^検索$")).isEmpty(); }, 3000)) << "the dialog stayed open";

    // The found row is now the top one: the rows on view changed.
    QImage after;
    EXPECT_TRUE(WaitFor([&] { return Differing(before, after = Rows(id)) > 500; }, 3000))
        << "the view did not move: " << Differing(before, after) << " pixels differ";
    if (HasFailure()) {
        before.save(dir.filePath(QStringLiteral("before.png")));
        after.save(dir.filePath(QStringLiteral("after.png")));
        dir.setAutoRemove(false);
        std::fprintf(stderr, "screenshots in %s\n", qPrintable(dir.path()));
    }
    if (const char* keep = std::getenv("TAVUKO_SHOTS")) {
        before.save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-before.png"));
        after.save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-after.png"));
    }
    stop();
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
