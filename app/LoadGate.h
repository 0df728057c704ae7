#pragma once
// TLoadGate: what the main window lets happen while a file loads or a long search runs. Either
// runs to completion before any other command: meanwhile the gate lets the window paint (and,
// for a load, shows how far it has got once it takes longer than half a second, and Esc abandons
// it). Every other key, click, timer, resize or close that arrives meanwhile is held and
// delivered, in order, afterwards; drops and open requests are taken and deferred (Defer) by
// their handlers.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "model/BvStrings.h"

class QEvent;
class QProgressBar;
class QWidget;

class TLoadGate : public QObject {
public:
    // host: the window that paints the progress over itself.
    explicit TLoadGate(QWidget* host);
    ~TLoadGate() override;

    // Milliseconds of a monotonic clock; tests replace it.
    std::function<qint64()> Clock;
    // How long a load runs before its progress is shown, and how often it lets the window paint.
    static constexpr qint64 ShowAfterMs = 500;
    static constexpr qint64 PaintEveryMs = 40;

    // From Begin to End a load is running; Progress is the hook for the loader meanwhile.
    void Begin();
    bool Progress(uint64_t done, uint64_t total);
    void End();
    bool Running() const { return running_; }
    bool Abandoned() const { return abandoned_; }
    // One turn of painting during a long step that is not a load (a search): from the first such
    // turn until the program's own event loop runs again the gate is Running, as for a load.
    void PaintWhileBusy();
    // Runs call after the running load, in order with what else arrived meanwhile.
    void Defer(std::function<void()> call);

    // The progress bar over the window while it is shown (null before the first long load).
    QProgressBar* ProgressBar() const { return bar_; }

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override;
    bool event(QEvent* e) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
        std::function<void()> call;
    };
    void Hold(QObject* receiver, QEvent* e);
    void Pump();
    void Replay();

    QWidget* host_;
    QProgressBar* bar_ = nullptr;
    bool running_ = false;
    bool abandoned_ = false;
    bool pumping_ = false;
    qint64 start_ = 0;
    qint64 lastPaint_ = 0;
    std::vector<Held> held_;
};
