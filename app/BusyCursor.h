#pragma once
// The busy cursor for the lifetime of the object, restored also when an exception leaves.
#include <QApplication>

class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
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
