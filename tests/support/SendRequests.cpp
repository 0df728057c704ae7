// Sends open requests to a viewer from a program of its own, as other programs do: every line
// of a file as one request, all sent at once without waiting, then every answer awaited.
// Prints how many were answered true, false and with an error.
//   tavuko_send_requests BUS-NAME FILE
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    QFile f(QString::fromLocal8Bit(argv[2]));
    if (!f.open(QIODevice::ReadOnly)) return 2;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    std::vector<QDBusPendingCall> calls;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        QDBusMessage m = QDBusMessage::createMethodCall(QString::fromLocal8Bit(argv[1]), QStringLiteral("/system"),
                                                        QStringLiteral("dde.Conversation"), QStringLiteral("Execute"));
        m << QString::fromUtf8(line);
        calls.push_back(bus.asyncCall(m, 120000));
    }
    int yes = 0, no = 0, errors = 0;
    for (QDBusPendingCall& c : calls) {
        c.waitForFinished();
        const QDBusPendingReply<bool> reply(c);
        if (!reply.isValid()) ++errors;
        else if (reply.value()) ++yes;
        else ++no;
    }
    std::printf("true %d false %d error %d\n", yes, no, errors);
    return 0;
}
