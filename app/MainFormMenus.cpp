// The menu bar, the view's context menu, their enabling, and the Copy and Exit commands.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "app/BusyCursor.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"

void TForm1::CreateMenus()
{
    File1 = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    Open1 = File1->addAction(QStringLiteral("開く(&O)..."));
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Reload1 = File1->addAction(QStringLiteral("再読み込み(&R)"));
    Reload1->setShortcut(QKeySequence(Qt::Key_F5));
    Reload1->setEnabled(false);
    N1 = File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("Tavuko の終了(&X)"));
    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(Reload1, &QAction::triggered, this, [this] { Reload1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });

    Edit1 = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    Copy1 = Edit1->addAction(QStringLiteral("コピー(&C)"));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Copy1->setEnabled(false);
    connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });

    PopupMenu1 = new QMenu(this);
    CopyP1 = PopupMenu1->addAction(QStringLiteral("コピー(&C)"));
    N7 = PopupMenu1->addSeparator();
    ReloadP1 = PopupMenu1->addAction(QStringLiteral("再読み込み(&R)"));
    ReloadP1->setEnabled(false);
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    connect(CopyP1, &QAction::triggered, this, [this] { Copy1Click(); });
    connect(ReloadP1, &QAction::triggered, this, [this] { Reload1Click(); });
    BigView1->SetPopupMenu(PopupMenu1);
}

void TForm1::Edit1Click()
{
    const bool selected = !(BigView1->SelStart() == BigView1->SelEnd());
    Copy1->setEnabled(selected);
}

void TForm1::PopupMenu1Popup()
{
    Edit1Click();
    CopyP1->setVisible(Copy1->isEnabled());
    N7->setVisible(Copy1->isEnabled());
    ReloadP1->setEnabled(Reload1->isEnabled());
}

void TForm1::Copy1Click()
{
    if (!Copy1->isEnabled()) return;
    TBusyCursor busy;
    BigView1->CopyToClipboard();
    BigView1->MapUpdate();
}

void TForm1::Exit1Click()
{
    BigView1->Clear();
    close();
}

bool TForm1::IsEditShortcut(const QKeyEvent& key) const
{
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* a : Edit1->actions())
        for (const QKeySequence& s : a->shortcuts())
            if (s.matches(pressed) == QKeySequence::ExactMatch) return true;
    return false;
}

// Qt asks the focus widget, and then its parents up to this window, whether it wants a key
// before looking the key up among the shortcuts; that moment brings the Edit items up to date,
// so that a shortcut acts on the state of now rather than that of the menu's last opening.
bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && IsEditShortcut(*static_cast<QKeyEvent*>(e))) Edit1Click();
    return QMainWindow::event(e);
}
