// The real program under an X server on a Shift-JIS novel: a find text longer than any row, so
// that the window's wrap always splits its match, found and selected; then \, the trail byte of
// 表 on the rows below, not found: the rows on view and the selection stay, and Ctrl+C in the
// window puts exactly the match on the clipboard (read with xclip).
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

QImage Shot(WId id) { return QGuiApplication::primaryScreen()->grabWindow(id).toImage(); }

QString Clipboard()
{
    return RunTool(QStringLiteral("xclip"),
                   {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
}

TEST(FindMatchDesktop, AMatchSplitByTheWrapIsSelectedAndATrailByteIsNotFound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Wider than any window: "NEEDLE-000 NEEDLE-001 ..." 48 times.
    QString needle;
    for (int i = 0; i < 48; ++i) needle += QStringLiteral("NEEDLE-%1 ").arg(i, 3, 10, QLatin1Char('0'));
    needle = needle.trimmed();
    const QString file = dir.filePath(QStringLiteral("novel.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // 表の裏にソースを表示する。 (表 and ソ end with 0x5C), above and below the needle's line.
        const QByteArray novel("\x95\x5c\x82\xcc\x97\xa0\x82\xc9\x83\x5c\x81\x5b\x83\x58\x82\xf0\x95\x5c\x8e\xa6\x82"
                               "\xb7\x82\xe9\x81\x42\r\n");
        for (int i = 0; i < 3; ++i) f.write(novel);
        f.write("the needle: " + needle.toLatin1() + " (end)\r\n");
        for (int i = 0; i < 60; ++i) f.write(novel);
    }
    struct Running : QProcess {
        ~Running() override
        {
            if (state() == NotRunning) return;
            terminate();
            if (!waitForFinished(3000)) {
                kill();
                waitForFinished();
            }
        }
    } program, xclip;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
    QString window;
    ASSERT_TRUE(
        WaitFor([&] { return !(window = FindWindow(QStringLiteral("/novel\\.txt - Tavuko$"))).isEmpty(); }, 15000));
    const WId id = WId(window.toULongLong());
    XDoTool({QStringLiteral("windowraise"), window});

    // The find text served on the clipboard, pasted into the dialog.
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    ASSERT_TRUE(xclip.waitForStarted(3000));
    xclip.write(needle.toUtf8());
    xclip.waitForBytesWritten(3000);
    xclip.closeWriteChannel();
    QThread::msleep(200);
    auto find = [&](const QStringList& typing) {
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+f")});
        EXPECT_TRUE(WaitFor([&] { return !FindWindow(QStringLiteral("^検索$")).isEmpty(); }, 5000)) << "no find dialog";
        XDoTool(QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + typing +
                QStringList{QStringLiteral("sleep"), QStringLiteral("0.3")});
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
        EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^検索$")).isEmpty(); }, 3000))
            << "the dialog stayed open";
    };
    auto copy = [&] {
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+c")});
    };

    find({QStringLiteral("ctrl+v")});
    QString title;
    EXPECT_TRUE(WaitFor(
        [&] {
            return (title = XDoTool({QStringLiteral("getwindowname"), window})).endsWith(QStringLiteral("\")"));
        },
        5000))
        << title.toStdString();
    QThread::msleep(300);
    const QImage found = Shot(id);
    // The clipboard emptied: what it holds next comes from the program.
    xclip.terminate();
    xclip.waitForFinished(3000);
    EXPECT_NE(Clipboard(), needle);

    // \ in the novel: only trail bytes. Not found; the rows on view and the selection stay.
    find({QStringLiteral("BackSpace"), QStringLiteral("backslash")});
    EXPECT_TRUE(WaitFor(
        [&] {
            return XDoTool({QStringLiteral("getwindowname"), window}).endsWith(QStringLiteral("(検索\"\\\")"));
        },
        5000));
    QThread::msleep(300);
    const QImage after = Shot(id);
    EXPECT_EQ(found, after) << "the view changed";
    // Ctrl+C in the window copies the match selected, exactly (and ends the selection).
    copy();
    QString copied;
    EXPECT_TRUE(WaitFor([&] { return (copied = Clipboard()) == needle; }, 5000))
        << "clipboard: " << copied.toStdString();
    if (const char* keep = std::getenv("TAVUKO_SHOTS"))
        found.save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-match.png"));
    if (HasFailure()) {
        found.save(dir.filePath(QStringLiteral("found.png")));
        after.save(dir.filePath(QStringLiteral("after.png")));
        dir.setAutoRemove(false);
        std::fprintf(stderr, "screenshots in %s\n", qPrintable(dir.path()));
    }
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
