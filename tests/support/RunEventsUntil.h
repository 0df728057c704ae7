#pragma once
// Runs the event loop of the test's own process until a condition holds or the time is up.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <functional>

inline bool RunEventsUntil(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
