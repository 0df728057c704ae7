#pragma once
// Go to line: asks for a file line number, from 1 to the text's count, the number of the line
// at the top chosen at first so that typing replaces it.
#include <QDialog>

class QSpinBox;

class TGoToLineDlg : public QDialog {
    Q_OBJECT
public:
    // current: the number of the file line at the top; count: the text's file lines (at least 1).
    TGoToLineDlg(int current, int count, QWidget* owner = nullptr);
    // The number chosen, 1 .. count.
    int Line() const;
    QSpinBox* Edit1 = nullptr;
};
