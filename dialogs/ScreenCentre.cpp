#include "dialogs/ScreenCentre.h"

#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget& dialog)
{
    const QScreen* screen = dialog.screen();
    if (!screen) return;
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog.move(frame.topLeft());
}
