#pragma once
// TFindDlg: the find dialog. Made once when the program starts and kept until it ends, with its
// find text, its match-case box and the last forward search's text. It searches the file lines
// of its view, selects the match found and brings the display line of its first byte to the top,
// with every other match on view marked; a search that finds nothing beeps once and moves nothing.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "model/BvFind.h"
#include "model/BvTypes.h"

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
    // Forward search: a new text from the start of the top line, the same text again from just
    // after the start of the match shown (while it is selected and on view), else from the top.
    void OKBtnClick();
    // The last match before the match shown, or before the start of the top line.
    void FindBackward();
    // The match shown last (file line -1: none), and the marks of the find text.
    const TBvMatch& Current() const { return current_; }
    void ClearMarks();
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
    // Finds the text forwards from file position `from`, or backwards before it; selects and
    // shows the match, or beeps.
    bool Search(bool forward, const std::string& text, TOrgPos from);
    TOrgPos TopStart() const;
    bool CurrentOnView() const;

    TBigView* view_;
    TBvMatch current_;
    bool framePending_ = false;  // shown, and not framed by a window manager yet
};
