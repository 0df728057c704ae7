#pragma once
// The two roles of a DDE conversation, on the D-Bus session bus (names as DdeNames.h gives
// them; interface dde.Conversation, method Execute(s request) -> b).
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <string>

// The server: answers execute requests on one topic of the program's service. Requests are
// handled one at a time in the order they came, each answered once its handler has returned;
// one that comes while another is being handled (its handler may run a modal loop) waits.
// Only peers of this user are served.
class TDdeServerConv : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dde.Conversation")
public:
    // Handles one request, its text as the UTF-8 bytes it came as; the result is the answer.
    using TExecuteMacroFn = std::function<bool(const std::string& request)>;

    TDdeServerConv(std::string service, std::string topic, TExecuteMacroFn onExecute, QObject* parent = nullptr);
    ~TDdeServerConv() override;

    // Serves the topic on the bus and asks for the service's name. While another program holds
    // the name this one waits in the bus's queue and takes the name over when that one ends.
    // False when the bus is not there or refuses the name.
    bool Start(const QDBusConnection& bus);
    // Gives the name up and answers the requests still waiting with an error.
    void Stop();
    const QString& BusName() const { return busName_; }

public Q_SLOTS:
    bool Execute(const QString& request, const QDBusMessage& message);

private:
    struct TPending {
        std::string text;
        QDBusMessage message;
    };
    void Schedule();
    void HandleNext();
    bool FromThisUser(const QString& sender);

    QString busName_, path_;
    TExecuteMacroFn onExecute_;
    QDBusConnection bus_{QString()};
    bool started_ = false, scheduled_ = false, handling_ = false;
    std::deque<TPending> pending_;
    QSet<QString> sameUser_;  // unique names are never reused on a bus
};

// The client: a conversation with another program's service and topic, opened on request.
// Virtual so that tests can stand in for the bus.
class TDdeClientConv {
public:
    virtual ~TDdeClientConv() = default;
    void SetLink(const std::string& service, const std::string& topic);
    // Connects to the program that now holds the service's name; false when none does. The
    // conversation stays with that program: should it end, requests fail instead of reaching
    // another that takes the name later.
    virtual bool OpenLink();
    virtual void CloseLink();
    // Sends an execute request without waiting for the answer; false when it cannot be sent.
    virtual bool ExecuteMacro(const std::string& macro);

private:
    QString busName_, path_, peer_;
};
