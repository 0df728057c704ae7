// Keys and wheel: the key map's commands, the six scroll operations, the wheel and its line
// count read on every activation of the application.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleHints>
#include <QWheelEvent>

#include "app/KeyMap.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "platform/UserStore.h"
#include "platform/VirtualKeys.h"

// The window sees every key before its view does, and every wheel turn over the view and its
// scroll bars; the view's children take no keyboard focus. Installed by FormCreate.
bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && watched == BigView1) {
        if (CancelsLoad(*static_cast<QKeyEvent*>(e))) return true;
        KeyPreview(*static_cast<QKeyEvent*>(e));
        return false;  // never marked handled
    }
    if (e->type() == QEvent::Wheel) {
        Wheel(*static_cast<QWheelEvent*>(e));
        return e->isAccepted();
    }
    return QMainWindow::eventFilter(watched, e);
}

// Keys that reach the window itself: while no child has the focus. Keys the view let pass
// were seen already, and those of the menu bar's keyboard mode are the menu's.
void TForm1::keyPressEvent(QKeyEvent* e)
{
    if (CancelsLoad(*e)) return;
    if (!focusWidget() || focusWidget() == this) KeyPreview(*e);
    QMainWindow::keyPressEvent(e);
}

// Esc during a load gives the load up, and that is all it does.
bool TForm1::CancelsLoad(const QKeyEvent& key)
{
    if (key.key() != Qt::Key_Escape || !file_.Loading()) return false;
    CancelLoad();
    return true;
}

void TForm1::wheelEvent(QWheelEvent* e) { Wheel(*e); }

bool TForm1::IsMenuShortcut(const QKeyEvent& key) const
{
    for (const QMenu* m : {File1, Edit1, Go1, Setting1, Help1})
        if (IsShortcutIn(m, key)) return true;
    return false;
}

// An enabled menu shortcut never arrives here, the menu has run it; a disabled one is the
// menu's all the same and does nothing (so Ctrl+F never pages down).
void TForm1::KeyPreview(const QKeyEvent& key)
{
    if (IsMenuShortcut(key)) return;
    FormKeyDown(platform::VirtualKeyOf(key.key(), key.modifiers(), key.nativeScanCode()), key.modifiers());
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    TKeyState s;
    s.Shift = shift & Qt::ShiftModifier;
    s.Ctrl = shift & Qt::ControlModifier;
    s.Alt = shift & Qt::AltModifier;
    s.BackEnabled = Back1->isEnabled();
    s.ForwardEnabled = Forward1->isEnabled();
    s.ExitEnterKey = Settings.ExitEnterKey;
    s.CcrScroll = Settings.CcrScroll;
    s.MailLinked = MailLinked();
    RunKeyCommand(KeyCommand(key, s), key);
}

void TForm1::RunKeyCommand(TKeyCommand command, int key)
{
    using C = TKeyCommand;
    switch (command) {
    case C::None: break;
    case C::Back: Back1Click(); break;
    case C::Forward: Forward1Click(); break;
    case C::ExecEditor: ExecEditor1Click(); break;
    case C::CloseWindow: close(); break;
    case C::Exit: Exit1Click(); break;
    case C::LineUp: ScrollLinesUp(1); break;
    case C::LineDown: ScrollLinesDown(1); break;
    case C::StepUp: ScrollLinesUp(StepLines); break;
    case C::StepDown: ScrollLinesDown(StepLines); break;
    case C::PageUp: ScrollPageUp(); break;
    case C::PageDown: ScrollPageDown(); break;
    case C::ToTop: ScrollToTop(); break;
    case C::ToEnd: ScrollToEnd(); break;
    // The Edit menu brought up to date first, as for its shortcuts; each acts only when enabled.
    case C::FindDialog:
        Edit1Click();
        Find1Click();
        break;
    case C::FindNext:
        Edit1Click();
        FindN1Click();
        break;
    case C::FindPrevious:
        Edit1Click();
        FindP1Click();
        break;
    case C::MailPrevious: SendMailPrev(); break;
    case C::MailNext: SendMailNext(); break;
    case C::Reload: Reload1Click(); break;
    case C::Open: Open1Click(); break;
    case C::TabStop: BigView1->SetViewTabStop(key - '0'); break;
    case C::ToggleMailLink: ToggleMailLink(); break;
    }
}

// ---- scroll operations ----

void TForm1::ScrollLinesUp(int n) { ::ScrollLinesUp(*BigView1, n); }
void TForm1::ScrollLinesDown(int n) { ::ScrollLinesDown(*BigView1, n); }
void TForm1::ScrollToTop() { ::ScrollToTop(*BigView1); }
void TForm1::ScrollToEnd() { ::ScrollToEnd(*BigView1); }

// Paging past either end of the text steps the linked mail client instead.
void TForm1::ScrollPageUp()
{
    if (!::ScrollPageUp(*BigView1, Settings.SmoothScroll) && MailLinked()) SendMailPrev();
}

void TForm1::ScrollPageDown()
{
    if (!::ScrollPageDown(*BigView1, Settings.SmoothScroll, Settings.Last1PageScroll) && MailLinked()) SendMailNext();
}

// ---- wheel ----

// Vertical turns are the window's, whatever the modifiers; a sideways one is left to the view.
void TForm1::Wheel(QWheelEvent& e)
{
    const int delta = e.angleDelta().y();
    if (delta == 0) {
        e.ignore();
        return;
    }
    e.accept();
    for (int n = wheelNotches_.Add(delta); n != 0; n += n > 0 ? -1 : 1) {
        if (n > 0) FormMouseWheelUp();
        else FormMouseWheelDown();
    }
}

void TForm1::FormMouseWheelDown()
{
    if (WheelLines < 0) ScrollPageDown();
    else if (WheelLines > 0) ScrollLinesDown(WheelLines);
}

void TForm1::FormMouseWheelUp()
{
    if (WheelLines < 0) ScrollPageUp();
    else if (WheelLines > 0) ScrollLinesUp(WheelLines);
}

// The user's own value in the store first (as text, a signed decimal number); when it is not
// there or no number, the desktop's setting; else 3.
void TForm1::AppActivate()
{
    const QString name = QStringLiteral("WheelScrollLines");
    platform::TRegistry reg;
    QString text;
    if (reg.OpenKey(QStringLiteral("\\Control Panel\\desktop"), false) && reg.ValueExists(name) &&
        reg.ReadString(name, text)) {
        bool ok = false;
        const int lines = text.toInt(&ok, 10);
        if (ok) {
            WheelLines = lines;
            return;
        }
    }
    const int desktop = QGuiApplication::styleHints()->wheelScrollLines();
    WheelLines = desktop > 0 ? desktop : 3;
}
