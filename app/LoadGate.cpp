#include "app/LoadGate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimerEvent>
#include <QWidget>

// QtGui's own entry to the shortcut map for a key press that did not come from the window system
// (what the test library uses): a held key press that is a shortcut runs as one when replayed.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace {
const QEvent::Type ReplayEvent = QEvent::Type(QEvent::registerEventType());
const QEvent::Type EndBusyEvent = QEvent::Type(QEvent::registerEventType());
}  // namespace

TLoadGate::TLoadGate(QWidget* host) : QObject(host), host_(host)
{
    Clock = [] {
        static QElapsedTimer timer;
        if (!timer.isValid()) timer.start();
        return timer.elapsed();
    };
}

TLoadGate::~TLoadGate()
{
    if (running_) QCoreApplication::instance()->removeEventFilter(this);
}

void TLoadGate::Begin()
{
    running_ = true;
    abandoned_ = false;
    start_ = lastPaint_ = Clock();
    QCoreApplication::instance()->installEventFilter(this);
}

void TLoadGate::End()
{
    running_ = false;
    QCoreApplication::instance()->removeEventFilter(this);
    if (bar_) bar_->hide();
    if (!held_.empty()) QCoreApplication::postEvent(this, new QEvent(ReplayEvent));
}

void TLoadGate::Defer(std::function<void()> call) { held_.push_back({nullptr, nullptr, std::move(call)}); }

bool TLoadGate::Progress(uint64_t done, uint64_t total)
{
    if (abandoned_) return false;
    const qint64 now = Clock();
    if (now - lastPaint_ < PaintEveryMs) return true;
    lastPaint_ = now;
    if (now - start_ >= ShowAfterMs) {
        if (!bar_) bar_ = new QProgressBar(host_);
        // Permille of the reported size; a file that reports none shows a busy bar.
        bar_->setRange(0, total ? 1000 : 0);
        if (total) bar_->setValue(int(std::min<uint64_t>(done, total) * 1000 / total));
        const int w = std::min(360, host_->width() - 40);
        bar_->setGeometry((host_->width() - w) / 2, (host_->height() - 24) / 2, w, 24);
        bar_->raise();
        bar_->show();
    }
    Pump();
    return !abandoned_;
}

// Paint (the progress, or the window uncovered), and see an Esc; the filter holds the rest.
void TLoadGate::Pump()
{
    pumping_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    pumping_ = false;
}

void TLoadGate::PaintWhileBusy()
{
    if (!running_) {
        Begin();
        // Taken by the program's own event loop, that is once the long step has returned.
        QCoreApplication::postEvent(this, new QEvent(EndBusyEvent));
    }
    Pump();
}

bool TLoadGate::eventFilter(QObject* receiver, QEvent* e)
{
    // Only what the window system and the queues deliver meanwhile; the program's own calls pass.
    if (!pumping_) return false;
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        // Taken here, so that no shortcut runs in the middle of the load; its key press follows.
        e->accept();
        return true;
    case QEvent::Shortcut:
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            if (e->type() == QEvent::KeyPress) abandoned_ = true;
            return true;
        }
        Hold(receiver, e);
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::InputMethod:
    case QEvent::Close:
    case QEvent::Resize:
    case QEvent::Timer:
        Hold(receiver, e);
        return true;
    default:
        return false;
    }
}

void TLoadGate::Hold(QObject* receiver, QEvent* e)
{
    if (e->type() == QEvent::Timer) {
        // A timer that fires again while held is still one timeout.
        const int id = static_cast<QTimerEvent*>(e)->timerId();
        for (const Held& h : held_)
            if (h.receiver == receiver && h.event && h.event->type() == QEvent::Timer &&
                static_cast<QTimerEvent*>(h.event.get())->timerId() == id)
                return;
    }
    Held h{receiver, std::unique_ptr<QEvent>(e->clone()), nullptr};
    held_.push_back(std::move(h));
}

bool TLoadGate::event(QEvent* e)
{
    if (e->type() != ReplayEvent && e->type() != EndBusyEvent) return QObject::event(e);
    // Not inside a turn of painting: the step that holds the events is still running.
    if (pumping_) QCoreApplication::postEvent(this, new QEvent(e->type()));
    else if (e->type() == EndBusyEvent) End();
    else Replay();
    return true;
}

void TLoadGate::Replay()
{
    std::vector<Held> held;
    held.swap(held_);
    for (Held& h : held) {
        if (h.event && h.receiver) {
            if (h.event->type() == QEvent::KeyPress) {
                const auto* k = static_cast<QKeyEvent*>(h.event.get());
                if (qt_sendShortcutOverrideEvent(h.receiver, k->timestamp(), k->key(), k->modifiers(), k->text(),
                                                 k->isAutoRepeat(), ushort(k->count())))
                    continue;
            }
            QCoreApplication::sendEvent(h.receiver, h.event.get());
        }
        if (h.call) h.call();
    }
}
