// The menu bar, the view's context menu, their enabling, and the Copy and Exit commands.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <utility>

#include "app/BusyCursor.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"

namespace {

// A menu item with its caption, an optional shortcut and its design enabled state, whose
// triggering calls the given command.
template <class F>
QAction* Item(QMenu* menu, const char* caption, QKeySequence shortcut, bool enabled, F&& command)
{
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    a->setEnabled(enabled);
    QObject::connect(a, &QAction::triggered, menu, std::forward<F>(command));
    return a;
}

}  // namespace

void TForm1::CreateMenus()
{
    QMenuBar* bar = menuBar();
    File1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    Open1 = Item(File1, "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O), true, [this] { Open1Click(); });
    Reload1 = Item(File1, "再読み込み(&R)", QKeySequence(Qt::Key_F5), false, [this] { Reload1Click(); });
    connect(File1, &QMenu::aboutToShow, this, [this] { File1Click(); });
    Code1 = File1->addMenu(QStringLiteral("文字コード(&C)"));
    Code1->setEnabled(false);
    CodeAuto1 = Item(Code1, "自動判別(&A)", {}, true, [this] { ReadFileAs(std::nullopt); });
    CodeAuto1->setCheckable(true);
    N10 = Code1->addSeparator();
    auto* codes = new QActionGroup(Code1);  // radio items: one checked at a time
    static const char* const kCodeCaptions[] = {"Shift_JIS(&S)", "EUC-JP(&E)",   "ISO-2022-JP(&J)",
                                                "UTF-8(&U)",     "UTF-16LE(&L)", "UTF-16BE(&B)"};
    for (size_t k = 0; k < CodeItems.size(); ++k) {
        const TCharset c = charset::kAll[k];
        CodeItems[k] = Item(Code1, kCodeCaptions[k], {}, true, [this, c] { ReadFileAs(c); });
        CodeItems[k]->setCheckable(true);
        codes->addAction(CodeItems[k]);
    }
    N1 = File1->addSeparator();
    Exit1 = Item(File1, "Tavuko の終了(&X)", {}, true, [this] { Exit1Click(); });

    Edit1 = bar->addMenu(QStringLiteral("編集(&E)"));
    connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    Copy1 = Item(Edit1, "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), false, [this] { Copy1Click(); });
    SelectAll1 =
        Item(Edit1, "すべて選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), false, [this] { SelectAll1Click(); });
    N4 = Edit1->addSeparator();
    Find1 = Item(Edit1, "検索(&F)...", QKeySequence(Qt::CTRL | Qt::Key_F), false, [this] { Find1Click(); });
    FindN1 = Item(Edit1, "次を検索(&N)", QKeySequence(Qt::Key_F3), false, [this] { FindN1Click(); });
    FindP1 = Item(Edit1, "前を検索(&P)", QKeySequence(Qt::SHIFT | Qt::Key_F3), false, [this] { FindP1Click(); });
    N6 = Edit1->addSeparator();
    ExecEditor1 = Item(Edit1, "エディタを起動(&E)", {}, true, [this] { ExecEditor1Click(); });

    Go1 = bar->addMenu(QStringLiteral("移動(&G)"));
    Back1 = Item(Go1, "前に戻る(&B)", {}, false, [this] { Back1Click(); });
    Forward1 = Item(Go1, "次に進む(&F)", {}, false, [this] { Forward1Click(); });
    N11 = Go1->addSeparator();
    GoLine1 = Item(Go1, "指定行へ移動(&J)...", {}, false, [this] { GoLine1Click(); });
    connect(Go1, &QMenu::aboutToShow, this, [this] { GoLine1->setEnabled(BigView1->GetCountOrg() > 0); });
    Follow1 = Item(Go1, "末尾を追跡(&T)", {}, true, [this] { Follow1Click(); });
    Follow1->setCheckable(true);
    N5 = Go1->addSeparator();
    N5->setVisible(false);
    for (int n = 1; n <= 10; ++n) {
        QAction* h = Go1->addAction(QStringLiteral("&%1").arg(n % 10));
        h->setObjectName(QStringLiteral("HistP%1").arg(n));
        h->setData(n);  // the item's Tag
        h->setCheckable(true);
        h->setVisible(false);
        connect(h, &QAction::triggered, this, [this, h] { HistPClick(h); });
        HistP[n - 1] = h;
    }

    Setting1 = bar->addMenu(QStringLiteral("設定(&S)"));
    EnvSet1 = Item(Setting1, "環境設定(&E)...", {}, true, [this] { EnvSet1Click(); });
    StatusBar1 = Item(Setting1, "ステータスバー(&B)", {}, true, [this] { StatusBar1Click(); });
    StatusBar1->setCheckable(true);
    N3 = Setting1->addSeparator();
    Den8LinkP1 = Item(Setting1, "電信八号とリンク(&L)", {}, true, [this] { Den8LinkP1Click(); });
    Den8LinkP1->setCheckable(true);
    N8 = Setting1->addSeparator();
    DelReg1 = Item(Setting1, "設定情報を削除(&D)", {}, true, [this] { DelReg1Click(); });
    DelReg1->setData(0);  // the Tag: 1 once the settings are deleted

    Help1 = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    Topic1 = Item(Help1, "トピックの検索(&H)", QKeySequence(Qt::Key_F1), true, [this] { Topic1Click(); });
    TavukoTxt1 = Item(Help1, "TAVUKO.TXT を開く(&T)", {}, true, [this] { TavukoTxt1Click(); });
    N2 = Help1->addSeparator();
    About1 = Item(Help1, "バージョン情報(&A)", {}, true, [this] { About1Click(); });

    PopupMenu1 = new QMenu(this);
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    CopyP1 = Item(PopupMenu1, "コピー(&C)", {}, true, [this] { Copy1Click(); });
    N7 = PopupMenu1->addSeparator();
    BackP1 = Item(PopupMenu1, "前に戻る(&B)", {}, false, [this] { Back1Click(); });
    ForwardP1 = Item(PopupMenu1, "次に進む(&F)", {}, false, [this] { Forward1Click(); });
    N9 = PopupMenu1->addSeparator();
    ReloadP1 = Item(PopupMenu1, "再読み込み(&R)", {}, false, [this] { Reload1Click(); });
    BigView1->SetPopupMenu(PopupMenu1);
}

void TForm1::File1Click()
{
    Code1->setEnabled(!CurrentFileName().empty());
    CodeAuto1->setChecked(!FileCharsets.count(CurrentFileName()));
    for (size_t k = 0; k < CodeItems.size(); ++k)
        CodeItems[k]->setChecked(BigView1->Source().charset == charset::kAll[k]);
}

void TForm1::Edit1Click()
{
    Copy1->setEnabled(BigView1->CopyToSelBuf(nullptr) > 0);
    SelectAll1->setEnabled(BigView1->GetCount() > 0);
    Find1->setEnabled(!CurrentFileName().empty() || file_.ShownInput());
    // Standard input has no file for an editor to open.
    ExecEditor1->setEnabled(!file_.ShownInput());
    const bool findText = !FindText().isEmpty();
    FindN1->setEnabled(findText);
    FindP1->setEnabled(findText);
}

void TForm1::PopupMenu1Popup()
{
    Edit1Click();
    CopyP1->setVisible(Copy1->isEnabled());
    N7->setVisible(Copy1->isEnabled());
    BackP1->setEnabled(Back1->isEnabled());
    ForwardP1->setEnabled(Forward1->isEnabled());
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
    CancelLoad();
    BigView1->Clear();
    close();
}

bool TForm1::IsShortcutIn(const QMenu* menu, const QKeyEvent& key)
{
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* a : menu->actions())
        for (const QKeySequence& s : a->shortcuts())
            if (s.matches(pressed) == QKeySequence::ExactMatch) return true;
    return false;
}

// Qt asks the focus widget, and then its parents up to this window, whether it wants a key
// before looking the key up among the shortcuts; that moment brings the Edit items up to date,
// so that a shortcut acts on the state of now rather than that of the menu's last opening.
bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && IsShortcutIn(Edit1, *static_cast<QKeyEvent*>(e))) Edit1Click();
    return QMainWindow::event(e);
}
