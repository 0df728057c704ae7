// Open requests and the mail link on a real X server and session bus, in this process: a
// flood of requests, requests that come while one is being handled, and the link against a
// stand-in mail client.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "platform/FileRead.h"
#include "support/MainFormFixture.h"
#include "support/RunEventsUntil.h"

namespace {

// A view that records which files it was asked to load, and can hold up a load.
class TRecordingView : public TBigView {
public:
    std::vector<std::string> Loads;
    std::function<void(const std::string&)> OnLoad;
    void BeginLoad(const TBvLoadSource& source, int tabStop, std::function<void(TBvLoadFailure)> done) override
    {
        Loads.push_back(source.name);
        if (OnLoad) OnLoad(source.name);
        TBigView::BeginLoad(source, tabStop, std::move(done));
    }
};

QString OpenLine(const QString& path) { return QStringLiteral("[Open(\"%1\")]").arg(path); }

class OpenRequestDesktopTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = MakeForm<TRecordingView>();
        form->show();
        ASSERT_TRUE(form->ServeOpenRequests(service.toStdString()));
        ASSERT_TRUE(sender.isConnected());
    }
    void TearDown() override
    {
        TFormFixture::TearDown();
        QDBusConnection::disconnectFromBus(QStringLiteral("sender"));
    }
    QDBusPendingCall Send(const QString& request)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(busName, QStringLiteral("/system"),
                                                        QStringLiteral("dde.Conversation"), QStringLiteral("Execute"));
        m << request;
        return sender.asyncCall(m, 60000);
    }

    // A service of this test alone, so that no other program's requests come here.
    const QString service = QStringLiteral("/bin/tavukotest%1.bin").arg(::getpid());
    const QString busName = QStringLiteral("dde.tavukotest%1").arg(::getpid());
    QDBusConnection sender = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("sender"));
    TRecordingView* view = nullptr;
};

TEST_F(OpenRequestDesktopTest, AThousandRequestsOpenEveryFileInOrderAndTheWindowStaysResponsive)
{
    constexpr int count = 1000;
    std::vector<std::string> names;
    QByteArray requests;
    for (int i = 0; i < count; ++i) {
        names.push_back(Write(QStringLiteral("f %1.txt").arg(i), "line " + QByteArray::number(i) + "\r\n"));
        requests += OpenLine(QFile::decodeName(names.back().c_str())).toUtf8() + '\n';
    }
    const QString list = dir.filePath(QStringLiteral("requests"));
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(requests);
    }

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    // Sent by another program: the order one connection sends in is the order the bus keeps.
    QProcess flood;
    flood.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    flood.start(QStringLiteral(TAVUKO_SEND_REQUESTS), {busName, list});
    ASSERT_TRUE(RunEventsUntil([&] { return flood.state() == QProcess::NotRunning; }, 120000));
    ticker.stop();

    EXPECT_EQ(flood.readAllStandardOutput().trimmed(), "true 1000 false 0 error 0");
    EXPECT_EQ(view->Loads, names);
    EXPECT_EQ(form->CurrentFileName(), names.back());
    EXPECT_EQ(view->GetOrg(0).str(), "line 999");
    EXPECT_TRUE(messages.empty());
    // The requests were handled one per pass of the event loop, other work in between.
    EXPECT_GT(ticks, count / 2);
}

TEST_F(OpenRequestDesktopTest, ARequestWaitsWhileAnotherIsBeingHandledAndIsAnsweredAfterIt)
{
    const std::string first = Write("first.txt", "1\r\n"), second = Write("second.txt", "2\r\n");
    // The first load fails (no memory left for it): its message box runs a modal loop, in which
    // the second request comes.
    bool failFirst = true;
    view->OnLoad = [&](const std::string&) {
        platform::AvailableMemory =
            std::exchange(failFirst, false) ? [] { return uint64_t(0); } : platform::SystemAvailableMemory;
    };
    QDBusPendingCall secondCall = Send(QString());
    std::vector<std::string> loadsDuringMessage;
    whileShown = [&](const ShownMessage&) {
        secondCall = Send(OpenLine(QFile::decodeName(second.c_str())));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        loadsDuringMessage = view->Loads;
    };
    const QDBusPendingCall empty = secondCall;
    QDBusPendingCall firstCall = Send(OpenLine(QFile::decodeName(first.c_str())));
    ASSERT_TRUE(
        RunEventsUntil([&] { return firstCall.isFinished() && secondCall.isFinished() && empty.isFinished(); }));
    EXPECT_EQ(loadsDuringMessage, std::vector<std::string>{first});
    EXPECT_EQ(view->Loads, (std::vector<std::string>{first, second}));
    EXPECT_EQ(messages.size(), 1u);
    // An empty request opens nothing and answers false; a failed open is still answered true.
    EXPECT_FALSE(QDBusPendingReply<bool>(empty).value());
    EXPECT_TRUE(QDBusPendingReply<bool>(firstCall).value());
    EXPECT_TRUE(QDBusPendingReply<bool>(secondCall).value());
}

TEST_F(OpenRequestDesktopTest, AClosedWindowGivesUpTheNameAndGetsNoMoreRequests)
{
    ASSERT_TRUE(RunEventsUntil([&] { return sender.interface()->isServiceRegistered(busName).value(); }));
    form->close();
    EXPECT_FALSE(sender.interface()->isServiceRegistered(busName).value());
    QDBusPendingCall c = Send(OpenLine(QStringLiteral("/x")));
    ASSERT_TRUE(RunEventsUntil([&] { return c.isFinished(); }));
    EXPECT_TRUE(c.isError());
    EXPECT_TRUE(view->Loads.empty());
}

// The stand-in mail client, started and ended by the test.
class TStandIn {
public:
    explicit TStandIn(const QString& record, QStringList options = {})
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(TAVUKO_STANDIN_MAIL), QStringList{record} + options);
        ready = p.waitForStarted(5000) && p.waitForReadyRead(10000) && p.readLine().trimmed() == "ready";
    }
    ~TStandIn() { End(); }
    void End()
    {
        if (p.state() == QProcess::NotRunning) return;
        p.terminate();
        if (!p.waitForFinished(5000)) p.kill();
        p.waitForFinished();
    }
    bool ready = false;

private:
    QProcess p;
};

class MailLinkDesktopTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TFormFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(ShowExposed());
    }
    // What the stand-in received, once everything this process sent before has arrived: a call
    // on the same connection waits for its answer, and the bus keeps one sender's order.
    QStringList Received()
    {
        QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("dde.den8"), QStringLiteral("/command"),
                                                        QStringLiteral("dde.Conversation"), QStringLiteral("Execute"));
        m << QStringLiteral("[Marker]");
        const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, 10000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
        QFile f(record);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        f.close();
        f.remove();
        EXPECT_FALSE(lines.isEmpty());
        if (!lines.isEmpty()) lines.removeLast();  // the marker
        return lines;
    }
    void OpenShortFile()
    {
        const QString name = dir.filePath(QStringLiteral("mail.txt"));
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Subject: one line\r\n");
        f.close();
        form->OpenFile(QFile::encodeName(name).toStdString(), true);
    }

    const QString record = dir.filePath(QStringLiteral("record"));
};

const QString NotRunning = QStringLiteral("電信八号が起動していません。");
const QString Linked = QStringLiteral("電信八号とリンクしました。");
const QString Unlinked = QStringLiteral("電信八号とのリンクを切り離しました。");

TEST_F(MailLinkDesktopTest, WithoutTheMailClientsWindowTheLinkIsRefused)
{
    form->Den8LinkP1->trigger();
    EXPECT_EQ(Texts(), QStringList{NotRunning});
    EXPECT_FALSE(form->Den8LinkP1->isChecked());
    // A window of another title, or of another class, is not the mail client's.
    for (const QStringList& options : {QStringList{"--title", "電信八号 2"}, QStringList{"--class", "den8:main"}}) {
        messages.clear();
        TStandIn other(record, options);
        ASSERT_TRUE(other.ready);
        form->Den8LinkP1->trigger();
        EXPECT_EQ(Texts(), QStringList{NotRunning}) << options.join(' ').toStdString();
        EXPECT_FALSE(form->MailLinked());
    }
    // Its window without its service: the conversation does not open, and nothing is said.
    messages.clear();
    TStandIn noService(record, {"--no-service"});
    ASSERT_TRUE(noService.ready);
    form->Den8LinkP1->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(form->MailLinked());
    EXPECT_FALSE(form->Den8LinkP1->isChecked());
}

TEST_F(MailLinkDesktopTest, LinkedStepsReachTheMailClientOncePerCommand)
{
    TStandIn mail(record);
    ASSERT_TRUE(mail.ready);
    OpenShortFile();

    // Unlinked, neither the commands nor the Right key send anything.
    form->SendMailNext();
    form->SendMailPrev();
    QTest::keyClick(form.get(), Qt::Key_Right);
    EXPECT_TRUE(Received().isEmpty());

    form->Den8LinkP1->trigger();
    EXPECT_EQ(Texts(), QStringList{Linked});
    EXPECT_TRUE(form->Den8LinkP1->isChecked());
    form->SendMailNext();
    form->SendMailNext();
    form->SendMailPrev();
    const QStringList sent = Received();
    EXPECT_EQ(sent, (QStringList{R"([View("Next")])", R"([View("Next")])", R"([View("Prev")])"}));
    for (const QString& s : sent) EXPECT_EQ(s.toUtf8().size(), 14);

    messages.clear();
    form->Den8LinkP1->trigger();
    EXPECT_EQ(Texts(), QStringList{Unlinked});
    EXPECT_FALSE(form->Den8LinkP1->isChecked());
    form->SendMailNext();
    EXPECT_TRUE(Received().isEmpty());
}

TEST_F(MailLinkDesktopTest, AMailClientThatWentAwayMakesTheStepsFailSilently)
{
    auto mail = std::make_unique<TStandIn>(record);
    ASSERT_TRUE(mail->ready);
    form->ToggleMailLink();
    ASSERT_TRUE(form->MailLinked());
    mail.reset();
    form->SendMailNext();
    form->SendMailPrev();
    // A new one under the same name is not the linked one: it is not sent the old link's steps.
    TStandIn again(record);
    ASSERT_TRUE(again.ready);
    form->SendMailNext();
    EXPECT_TRUE(Received().isEmpty());
    EXPECT_TRUE(form->MailLinked());
    EXPECT_EQ(Texts(), QStringList{Linked});
    // The next toggle cuts the dead link and says so.
    form->ToggleMailLink();
    EXPECT_EQ(Texts(), (QStringList{Linked, Unlinked}));
    EXPECT_FALSE(form->MailLinked());
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::puts("no X display or session bus: skipped (make test runs the suite with both)");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
