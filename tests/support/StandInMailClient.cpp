// A stand-in for the mail client the viewer links to: a window of its class and title, the
// service "Den8" with the topic "Command", and every execute request it receives appended to a
// file, one a line. Prints "ready" once the window is shown and the service is there.
//   tavuko_standin_mail RECORD [--no-service] [--title TITLE] [--class CLASS]
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QWidget>
#include <cstdio>

#include "platform/DdeNames.h"

class TStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dde.Conversation")
public:
    explicit TStandIn(const QString& record) : record_(record) {}
public Q_SLOTS:
    bool Execute(const QString& request)
    {
        QFile f(record_);
        if (!f.open(QIODevice::Append)) return false;
        f.write(request.toUtf8() + '\n');
        return true;
    }

private:
    QString record_;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return 2;
    const QString record = args.takeFirst();
    bool service = true;
    QString title = QStringLiteral("電信八号"), cls = QStringLiteral("DeN8:MaIn");
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--no-service")) service = false;
        else if (a == QLatin1String("--title") && !args.isEmpty()) title = args.takeFirst();
        else if (a == QLatin1String("--class") && !args.isEmpty()) cls = args.takeFirst();
        else return 2;
    }
    // The X11 platform takes the class part of WM_CLASS from the application's name.
    QCoreApplication::setApplicationName(cls);

    TStandIn standIn(record);
    if (service) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.registerObject(QString::fromStdString(DdeObjectPath("Command")), &standIn,
                                QDBusConnection::ExportAllSlots) ||
            !bus.registerService(QString::fromStdString(DdeBusName("Den8"))))
            return 3;
    }
    QWidget window;
    window.setWindowTitle(title);
    window.resize(200, 100);
    window.show();
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "StandInMailClient.moc"
