#include "dialogs/FindDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <chrono>

#include "bigview/Bigview.h"
#include "dialogs/DialogFont.h"
#include "model/BvFind.h"

namespace {

// Client size of the form and the controls' places, in pixels.
constexpr int ClientWidth = 322, ClientHeight = 73;

// How often a long search lets the windows repaint.
constexpr int64_t PaintEveryMs = 50;

}  // namespace

TFindDlg::TFindDlg(QWidget* owner, TBigView* view)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), view_(view)
{
    setWindowTitle(QStringLiteral("検索"));
    setFont(DialogFont());
    setFixedSize(ClientWidth, ClientHeight);

    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(16, 10, 201, 20);
    MatchCaseCB1 = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    MatchCaseCB1->setGeometry(16, 42, 177, 17);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(231, 10, 75, 21);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setGeometry(231, 40, 75, 21);
    setTabOrder(Edit1, MatchCaseCB1);
    setTabOrder(MatchCaseCB1, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    // OK closes the modal dialog found or not; Cancel, Escape and the close box all hide it.
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(MatchCaseCB1, &QCheckBox::clicked, this, [this] { MatchCaseCB1Click(); });

    BeepFn = [] { QApplication::beep(); };
    PaintFn = [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    };
    ClockFn = [] {
        using namespace std::chrono;
        return int64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

void TFindDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TFindDlg::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    framePending_ = false;
    // The marks go with the find text, once it is left cleared.
    if (Edit1->text().isEmpty()) ClearMarks();
}

bool TFindDlg::event(QEvent* e)
{
    const bool done = QDialog::event(e);
    // The window manager has framed the dialog shown: centred again by the frame it has now.
    if (framePending_ && frameGeometry() != geometry()) {
        framePending_ = false;
        Centre();
    }
    return done;
}

void TFindDlg::FormShow()
{
    Centre();
    // A window manager frames a window only once it is mapped: until then its frame is unknown.
    framePending_ = frameGeometry() == geometry();
    Edit1->setFocus();
    Edit1->selectAll();
}

void TFindDlg::Centre()
{
    const QWidget* owner = parentWidget();
    if (!owner) return;
    const QRect o = owner->frameGeometry();
    QRect d = frameGeometry();
    // move() places the frame's corner, and before the dialog is framed the frame is the dialog
    // itself; so it is taken to be framed as its owner is, the likeliest under the same manager.
    QPoint frameToWindow;
    if (d == geometry() && owner->windowHandle()) {
        const QMargins m = owner->windowHandle()->frameMargins();
        d = d.marginsAdded(m);
        frameToWindow = QPoint(m.left(), m.top());
    }
    move(QPoint(o.left() + (o.width() - d.width()) / 2, o.top() + (o.height() - d.height()) / 2) + frameToWindow);
}

void TFindDlg::reject()
{
    CancelBtnClick();
    QDialog::reject();
}

void TFindDlg::CancelBtnClick() { hide(); }

void TFindDlg::MatchCaseCB1Click() { Edit1->setFocus(); }

void TFindDlg::Beep()
{
    if (BeepFn) BeepFn();
}

void TFindDlg::OKBtnClick()
{
    if (Edit1->text().isEmpty()) return;
    std::string text;
    // A character the text's encoding has no code for occurs in no line.
    if (!view_->Encoding().FromUnicode(Edit1->text(), text)) return Beep();
    // A new text from the top line's start; the same again from just after the match shown.
    TOrgPos from = TopStart();
    if (text != LastFindText) LastFindText = text;
    else if (CurrentOnView()) from = {int(current_.pos) + 2, current_.line};
    if (Search(true, text, from)) hide();
}

void TFindDlg::FindBackward()
{
    if (Edit1->text().isEmpty()) return;
    std::string text;
    if (!view_->Encoding().FromUnicode(Edit1->text(), text)) return Beep();
    // The last match before the one shown, or before the top line's start.
    const TOrgPos from = CurrentOnView() ? TOrgPos{int(current_.pos) + 1, current_.line} : TopStart();
    Search(false, text, from);
}

void TFindDlg::ClearMarks()
{
    view_->SetFindMarks(nullptr);
    current_ = {};
}

TOrgPos TFindDlg::TopStart() const
{
    if (view_->GetCount() == 0) return {1, 0};
    return view_->DisplayLines().ToOrg(TDispPos{1, view_->ViewLineStart()});
}

bool TFindDlg::CurrentOnView() const
{
    if (!current_.Found()) return false;
    const TBvLines& lines = view_->DisplayLines();
    if (current_.line >= lines.GetCountOrg() || current_.pos + current_.len > lines.Store().View(current_.line).size())
        return false;
    // Still selected, as it was found, and its first byte on a row in view.
    const TDispPos start = lines.FromOrg({int(current_.pos) + 1, current_.line});
    const TDispPos end = lines.FromOrg({int(current_.pos + current_.len) + 1, current_.line});
    TDispPos s(view_->SelStart()), e(view_->SelEnd());
    Order(s, e);
    const int top = view_->ViewLineStart();
    return s == start && e == end && start.Y >= top && start.Y < top + std::max(view_->ViewLines(), 1);
}

bool TFindDlg::Search(bool forward, const std::string& text, TOrgPos from)
{
    auto find = std::make_shared<TBvFind>(text, MatchCaseCB1->isChecked(), view_->Encoding());
    const int64_t start = ClockFn();
    int64_t painted = start;
    bool busy = false;
    // Past the first half second: the busy cursor, and the windows painted now and then.
    auto progress = [&] {
        const int64_t now = ClockFn();
        if (now - start < BusyAfterMs) return;
        if (!busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        if (!busy || now - painted >= PaintEveryMs) {
            PaintFn();
            painted = now;
        }
        busy = true;
    };
    struct Restore {
        const bool& busy;
        ~Restore()
        {
            if (busy) QApplication::restoreOverrideCursor();
        }
    } restore{busy};
    // The text and its display lines stay as they are while the search runs over them and the
    // match is shown (a load that ends meanwhile is shown after it).
    const TBigView::THold hold(*view_);
    const TBvLines& lines = view_->DisplayLines();
    const size_t pos = size_t(std::max(from.X - 1, 0));
    const TBvMatch found = forward ? find->Forward(lines.Store(), from.Y, pos, progress)
                                   : find->Backward(lines.Store(), from.Y, pos, progress);
    if (!found.Found()) {
        Beep();
        return false;
    }
    current_ = found;
    view_->SelectAndShow(lines.FromOrg({int(found.pos) + 1, found.line}),
                         lines.FromOrg({int(found.pos + found.len) + 1, found.line}), std::move(find));
    return true;
}
