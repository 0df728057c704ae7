// The real program takes open requests over the session bus: the dbus-send line of the readme,
// a second instance that takes the name over when the first ends, a renamed copy that answers
// on its own name.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

// The viewer, started on its own and ended by the test.
struct TViewer {
    explicit TViewer(const QString& program, const QStringList& args = {})
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // As a desktop launcher starts it: standard input is no pipe to read.
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(program, args);
    }
    ~TViewer()
    {
        if (p.state() == QProcess::NotRunning) return;
        p.kill();
        p.waitForFinished();
    }
    // Whether its window's caption matches the pattern (xdotool's regular expressions).
    bool Captioned(const QString& pattern)
    {
        return !RunTool(QStringLiteral("xdotool"),
                        {"search", "--all", "--pid", QString::number(p.processId()), "--name", pattern})
                    .isEmpty();
    }
    QProcess p;
};

bool HasOwner(const QString& name) { return QDBusConnection::sessionBus().interface()->isServiceRegistered(name); }

bool Open(const QString& busName, const QString& path)
{
    QDBusMessage m = QDBusMessage::createMethodCall(busName, QStringLiteral("/system"),
                                                    QStringLiteral("dde.Conversation"), QStringLiteral("Execute"));
    m << QStringLiteral("[Open(\"%1\")]").arg(path);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

class LinkProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Write(const QString& name)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("text\r\n");
        return dir.filePath(name);
    }
    QTemporaryDir dir;
};

TEST_F(LinkProgramTest, TheReadmesDbusSendLineOpensTheFile)
{
    const QString file = Write(QStringLiteral("a b.txt"));
    TViewer viewer(ProgramPath);
    ASSERT_TRUE(WaitFor([] { return HasOwner(QStringLiteral("dde.tavuko")); }));
    const QString line =
        QStringLiteral("dbus-send --session --type=method_call --print-reply --dest=dde.tavuko /system "
                       "dde.Conversation.Execute string:'[Open(\"%1\")]'")
            .arg(file);
    const QString out = RunTool(QStringLiteral("sh"), {"-c", line});
    EXPECT_TRUE(out.contains(QLatin1String("boolean true"))) << out.toStdString();
    EXPECT_TRUE(WaitFor([&] { return viewer.Captioned(QStringLiteral("/a b\\.txt - Tavuko$")); }));
}

TEST_F(LinkProgramTest, ARequestWhileAFailedLoadIsReportedIsServedOnceTheMessageIsClosed)
{
    // Started on a file too large for any memory: its load fails, and its message stays up.
    const QString huge = dir.filePath(QStringLiteral("huge.txt"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(qint64(1) << 40));
    }
    const QString two = Write(QStringLiteral("two.txt"));
    TViewer viewer(ProgramPath, {huge});
    ASSERT_TRUE(WaitFor([] { return HasOwner(QStringLiteral("dde.tavuko")); }));
    QString box;
    ASSERT_TRUE(WaitFor([&] { return !(box = FindWindow(QStringLiteral("^開く$"))).isEmpty(); }));
    EXPECT_TRUE(Open(QStringLiteral("dde.tavuko"), two));
    QThread::msleep(300);
    EXPECT_TRUE(viewer.Captioned(QStringLiteral("^Tavuko$"))) << "nothing is opened under the message";
    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    EXPECT_TRUE(WaitFor([&] { return viewer.Captioned(QStringLiteral("/two\\.txt - Tavuko$")); }));
    QThread::msleep(300);
    EXPECT_TRUE(viewer.Captioned(QStringLiteral("/two\\.txt - Tavuko$"))) << "and stays";
}

TEST_F(LinkProgramTest, ASecondInstanceTakesTheNameOverWhenTheFirstEnds)
{
    const QString one = Write(QStringLiteral("one.txt")), two = Write(QStringLiteral("two.txt"));
    auto first = std::make_unique<TViewer>(ProgramPath);
    ASSERT_TRUE(WaitFor([] { return HasOwner(QStringLiteral("dde.tavuko")); }));
    TViewer second(ProgramPath);
    ASSERT_TRUE(WaitFor([&] { return second.Captioned(QStringLiteral("^Tavuko$")); }));
    EXPECT_TRUE(Open(QStringLiteral("dde.tavuko"), one));
    EXPECT_TRUE(WaitFor([&] { return first->Captioned(QStringLiteral("/one\\.txt - Tavuko$")); }));
    EXPECT_FALSE(second.Captioned(QStringLiteral("one\\.txt")));

    first.reset();
    ASSERT_TRUE(WaitFor([] { return HasOwner(QStringLiteral("dde.tavuko")); }));
    EXPECT_TRUE(Open(QStringLiteral("dde.tavuko"), two));
    EXPECT_TRUE(WaitFor([&] { return second.Captioned(QStringLiteral("/two\\.txt - Tavuko$")); }));
}

TEST_F(LinkProgramTest, ARenamedCopyAnswersOnTheNameOfItsFile)
{
    const QString copy = dir.filePath(QStringLiteral("tv.bin"));
    ASSERT_TRUE(QFile::copy(ProgramPath, copy));
    const QString file = Write(QStringLiteral("three.txt"));
    TViewer viewer(copy);
    ASSERT_TRUE(WaitFor([] { return HasOwner(QStringLiteral("dde.tv")); }));
    EXPECT_FALSE(HasOwner(QStringLiteral("dde.tavuko")));
    EXPECT_TRUE(Open(QStringLiteral("dde.tv"), file));
    EXPECT_TRUE(WaitFor([&] { return viewer.Captioned(QStringLiteral("/three\\.txt - Tavuko$")); }));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::puts("no X display or session bus: skipped (make test runs the suite with both)");
        return 77;
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-OF-TAVUKO\n", argv[0]);
        return 2;
    }
    ProgramPath = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
