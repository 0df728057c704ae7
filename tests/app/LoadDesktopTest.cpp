// The real program opening a 2 GiB file while it shows another: Esc cancels the load and the
// window stays, showing what it showed; the File menu opens while the file loads; a load left
// alone ends with the file shown.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

bool HasOwner(const QString& name) { return QDBusConnection::sessionBus().interface()->isServiceRegistered(name); }

// Another program's open request, not waiting for the answer.
void RequestOpen(const QString& path)
{
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("dde.tavuko"), QStringLiteral("/system"),
                                                    QStringLiteral("dde.Conversation"), QStringLiteral("Execute"));
    m << QStringLiteral("[Open(\"%1\")]").arg(path);
    QDBusConnection::sessionBus().asyncCall(m);
}

// The program's visible windows: its main window and, while one is open, its menu.
int VisibleWindows(qint64 pid)
{
    const QString ids = XDoTool({"search", "--onlyvisible", "--pid", QString::number(pid), ""});
    return ids.isEmpty() ? 0 : int(ids.split(QLatin1Char('\n')).size());
}

TEST(LoadDesktop, EscCancelsA2GiBLoadTheMenuOpensDuringOneAndOneLeftAloneEndsShown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString small = dir.filePath(QStringLiteral("small.txt")), big = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(small);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the file shown before\r\n");
        // Lines of 64 bytes, a mebibyte at a time.
        QFile g(big);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        QByteArray block;
        while (block.size() < (1 << 20)) block += QByteArray(62, 'a' + char(block.size() / 64 % 26)) + "\r\n";
        for (int i = 0; i < 2048; ++i) ASSERT_EQ(g.write(block), block.size());
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {small});
    ASSERT_TRUE(program.waitForStarted(5000));
    const QString smallTitle = QStringLiteral("/small\\.txt - Tavuko$"),
                  bigTitle = QStringLiteral("/big\\.txt - Tavuko$");
    ASSERT_TRUE(WaitFor([&] { return !FindWindow(smallTitle).isEmpty() && HasOwner(QStringLiteral("dde.tavuko")); }));
    const QString window = FindWindow(smallTitle);
    XDoTool({"windowactivate", "--sync", window});
    auto keys = [&](const QString& k) { XDoTool({"windowfocus", "--sync", window, "key", "--clearmodifiers", k}); };

    // Esc during the load: it ends, nothing changes, and the window stays.
    RequestOpen(big);
    QThread::msleep(300);
    keys(QStringLiteral("Escape"));
    QThread::msleep(3000);
    EXPECT_EQ(program.state(), QProcess::Running) << "Esc closed the window";
    EXPECT_FALSE(FindWindow(smallTitle).isEmpty()) << "the window no longer shows the file it showed";
    EXPECT_TRUE(FindWindow(bigTitle).isEmpty()) << "the load went on after Esc";

    // The File menu opens while the file loads (a window more), and closes again.
    RequestOpen(big);
    QThread::msleep(300);
    const int before = VisibleWindows(program.processId());
    keys(QStringLiteral("alt+f"));
    EXPECT_TRUE(WaitFor([&] { return VisibleWindows(program.processId()) > before; }, 5000)) << "no menu";
    EXPECT_FALSE(FindWindow(smallTitle).isEmpty()) << "the load had ended before the menu opened";
    keys(QStringLiteral("Escape"));  // the menu's
    EXPECT_TRUE(WaitFor([&] { return VisibleWindows(program.processId()) == before; }, 5000));

    // Left alone, the load ends with the file shown.
    EXPECT_TRUE(WaitFor([&] { return !FindWindow(bigTitle).isEmpty(); }, 180000)) << "the 2 GiB file was never shown";
    program.kill();
    program.waitForFinished();
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
