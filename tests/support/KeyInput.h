#pragma once
// Keys as the window system delivers them: each press is offered to the shortcuts first and
// only then sent to the widget with the keyboard focus, carrying the native scan code that the
// X server would give (the XKB key code; 0 for none), then released.
#include <QApplication>
#include <QKeyEvent>
#include <QtTest/qtestkeyboard.h>
#include <QtTest/qtestspontaneevent.h>

inline void PressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, quint32 scanCode = 0,
                     bool autoRepeat = false)
{
    QWidget* w = QApplication::focusWidget();
    if (!w) w = QApplication::activeWindow();
    if (!w) return;
    if (qt_sendShortcutOverrideEvent(w, 0, key, mods, QString(), autoRepeat)) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, scanCode, 0, 0, QString(), autoRepeat);
    QSpontaneKeyEvent::setSpontaneous(&press);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, scanCode, 0, 0, QString(), autoRepeat);
    QSpontaneKeyEvent::setSpontaneous(&release);
    QApplication::sendEvent(w, &release);
}
