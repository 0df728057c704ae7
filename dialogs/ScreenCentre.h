#pragma once
// Places a dialog in the middle of its screen's work area, frame included.
class QWidget;

void CentreOnScreen(QWidget& dialog);
