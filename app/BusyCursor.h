#pragma once
// The busy cursor for the lifetime of the object, restored also when an exception leaves.
#include <QApplication>

class TBusyCursor {
public:
    explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) { QApplication::setOverrideCursor(shape); }
    ~TBusyCursor() { Restore(); }
    void Restore()
    {
        if (active_) QApplication::restoreOverrideCursor();
        active_ = false;
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool active_ = true;
};
