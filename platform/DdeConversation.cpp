#include "platform/DdeConversation.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QTimer>
#include <unistd.h>

#include "platform/DdeNames.h"

namespace {
const QString Interface = QStringLiteral("dde.Conversation");
const QString Method = QStringLiteral("Execute");

QDBusMessage BusCall(const QString& method, const QString& name)
{
    QDBusMessage m =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    m << name;
    return m;
}
}  // namespace

TDdeServerConv::TDdeServerConv(std::string service, std::string topic, TExecuteMacroFn onExecute, QObject* parent)
    : QObject(parent), busName_(QString::fromStdString(DdeBusName(service))),
      path_(QString::fromStdString(DdeObjectPath(topic))), onExecute_(std::move(onExecute))
{
}

TDdeServerConv::~TDdeServerConv() { Stop(); }

bool TDdeServerConv::Start(const QDBusConnection& bus)
{
    Stop();
    bus_ = bus;
    if (!bus_.isConnected() || !bus_.registerObject(path_, this, QDBusConnection::ExportAllSlots)) return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus_.interface()->registerService(
        busName_, QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        bus_.unregisterObject(path_);
        return false;
    }
    started_ = true;
    return true;
}

void TDdeServerConv::Stop()
{
    if (!started_) return;
    started_ = false;
    bus_.unregisterObject(path_);
    bus_.interface()->unregisterService(busName_);
    for (const TPending& p : pending_)
        bus_.send(p.message.createErrorReply(QDBusError::Failed, QStringLiteral("The window has closed.")));
    pending_.clear();
}

bool TDdeServerConv::Execute(const QString& request, const QDBusMessage& message)
{
    message.setDelayedReply(true);
    pending_.push_back({request.toStdString(), message});
    Schedule();
    return false;  // not sent: the answer goes out once the request is handled
}

// One request per pass of the event loop, so that the window stays responsive under a flood.
void TDdeServerConv::Schedule()
{
    if (scheduled_ || pending_.empty()) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, &TDdeServerConv::HandleNext);
}

void TDdeServerConv::HandleNext()
{
    scheduled_ = false;
    if (handling_ || pending_.empty()) return;
    TPending p = std::move(pending_.front());
    pending_.pop_front();
    // Busy from the start: a request handled in a loop run meanwhile (by a message box of the
    // handler, say) would overtake this one.
    handling_ = true;
    QDBusMessage reply;
    try {
        if (FromThisUser(p.message.service())) reply = p.message.createReply(onExecute_(p.text));
        else reply = p.message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("Not this user's request."));
    } catch (...) {
        handling_ = false;
        bus_.send(p.message.createErrorReply(QDBusError::Failed, QStringLiteral("The request failed.")));
        Schedule();
        throw;
    }
    handling_ = false;
    bus_.send(reply);
    Schedule();
}

bool TDdeServerConv::FromThisUser(const QString& sender)
{
    if (sameUser_.contains(sender)) return true;
    const QDBusMessage reply = bus_.call(BusCall(QStringLiteral("GetConnectionUnixUser"), sender), QDBus::Block);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
        reply.arguments().front().toUInt() != ::getuid())
        return false;
    sameUser_.insert(sender);
    return true;
}

void TDdeClientConv::SetLink(const std::string& service, const std::string& topic)
{
    busName_ = QString::fromStdString(DdeBusName(service));
    path_ = QString::fromStdString(DdeObjectPath(topic));
}

bool TDdeClientConv::OpenLink()
{
    CloseLink();
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || busName_.isEmpty()) return false;
    const QDBusMessage reply = bus.call(BusCall(QStringLiteral("GetNameOwner"), busName_), QDBus::Block);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    peer_ = reply.arguments().front().toString();
    return !peer_.isEmpty();
}

void TDdeClientConv::CloseLink() { peer_.clear(); }

bool TDdeClientConv::ExecuteMacro(const std::string& macro)
{
    if (peer_.isEmpty()) return false;
    QDBusMessage m = QDBusMessage::createMethodCall(peer_, path_, Interface, Method);
    m << QString::fromStdString(macro);
    m.setAutoStartService(false);
    return QDBusConnection::sessionBus().send(m);
}
