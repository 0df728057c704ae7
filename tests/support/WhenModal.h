#pragma once
// Acts on the next dialog of a type once it is shown and running its own modal loop, as a user
// would once it shows. The act runs from a posted event: nested modal loops always deliver those,
// whereas timers can stall in a loop entered from another timer's dispatch (as a button's
// delayed access-key click is). A dialog that never comes is reported, after a deadline long
// enough for a loaded machine running the sanitizer build.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <functional>

template <class T>
class TModalWatch : public QObject {
public:
    TModalWatch(std::function<void(T*)> act, int timeoutMs) : act_(std::move(act))
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(timeoutMs, this, [this] {
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " came up";
            Done();
        });
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        T* w = e->type() == QEvent::Show ? qobject_cast<T*>(o) : nullptr;
        if (w && w->isWindow()) {
            QMetaObject::invokeMethod(
                w, [w, act = act_] { act(w); }, Qt::QueuedConnection);
            Done();
        }
        return false;
    }

private:
    void Done()
    {
        qApp->removeEventFilter(this);
        deleteLater();
    }
    std::function<void(T*)> act_;
};

template <class T>
void WhenModal(std::function<void(T*)> act, int timeoutMs = 30000)
{
    new TModalWatch<T>(std::move(act), timeoutMs);
}
