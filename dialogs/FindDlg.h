#pragma once
// TFindDlg: the find dialog. Made once when the program starts and kept until it ends, with its
// find text, its match-case box and the last forward search's text. It searches the display
// lines of its view and moves the found line to the top; nothing is selected, and a search that
// finds nothing beeps once.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TBigView;

class TFindDlg : public QDialog {
    Q_OBJECT
public:
    // owner: the main window, over which the dialog is centred; view: the view it searches.
    TFindDlg(QWidget* owner, TBigView* view);

    QLineEdit* Edit1 = nullptr;
    QCheckBox* MatchCaseCB1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The find text (CP932) of the last forward search that started with a new text.
    std::string LastFindText;

    void FormShow();
    // Forward search: a new text from the top line, the same text again from the line below it.
    void OKBtnClick();
    void FindBackward();
    void CancelBtnClick();
    void MatchCaseCB1Click();

    // The plain beep of "not found"; tests count it.
    std::function<void()> BeepFn;
    // A millisecond clock: a search still running after BusyAfterMs shows the busy cursor and
    // keeps the windows painted. Tests replace it.
    std::function<int64_t()> ClockFn;
    static constexpr int64_t BusyAfterMs = 500;
    // Lets the windows paint during a long search, and nothing else happen: no input, no other
    // program's request may change the text while it is searched. The main window routes it
    // through the gate it holds such events with; alone, the dialog lets only painting in.
    std::function<void()> PaintFn;

    // Escape, the Cancel button and the close box.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool event(QEvent* e) override;

private:
    // Over the owner's frame by the dialog's own frame (move() places the frame's corner).
    void Centre();
    void Beep();
    // The display line the search finds, forwards or backwards from line `from`; -1 for none.
    int Search(bool forward, const std::string& text, int from);

    TBigView* view_;
    bool framePending_ = false;  // shown, and not framed by a window manager yet
};
