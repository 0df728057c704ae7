// Both menus as designed: every item's caption, access key, shortcut, enabled and shown state in
// order; the context menu as a right click brings it up, with and without a selection, before
// and after files are opened.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <ostream>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "dialogs/SettingDlg.h"
#include "support/WhenModal.h"
#include "support/MainFormFixture.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// One row of a menu table: a separator when caption is null.
struct Row {
    QAction* TForm1::*item;  // null for the HistP items, found by their names
    const char* caption;     // with the key hint appended at start-up; nullptr: a separator
    QKeySequence shortcut;   // empty: none
    bool enabled;
    bool shown;
    QMenu* TForm1::*submenu = nullptr;  // the item of a submenu
    bool radio = false;                 // one of a group of radio items
};
struct Menu {
    QMenu* TForm1::*menu;
    const char* title;
    std::vector<Row> rows;
    bool inBar = true;
};

constexpr auto Sep = [](QAction* TForm1::*item, bool shown = true) { return Row{item, nullptr, {}, true, shown}; };
// The encoding submenu's radio items, which CodeItems holds.
Row Code(const char* caption) { return Row{nullptr, caption, {}, true, true, nullptr, true}; }

std::vector<Menu> DesignedMenus()
{
    std::vector<Row> go = {
        {&TForm1::Back1, "前に戻る(&B)\tAlt+←", {}, false, true},
        {&TForm1::Forward1, "次に進む(&F)\tAlt+→", {}, false, true},
        Sep(&TForm1::N11),
        {&TForm1::GoLine1, "指定行へ移動(&J)...", {}, false, true},
        {&TForm1::Follow1, "末尾を追跡(&T)", {}, true, true},
        Sep(&TForm1::N5, false),
    };
    static const char* const hist[] = {"&1", "&2", "&3", "&4", "&5", "&6", "&7", "&8", "&9", "&0"};
    for (const char* h : hist) go.push_back({nullptr, h, {}, false, false});
    return {
        {&TForm1::File1,
         "ファイル(&F)",
         {{&TForm1::Open1, "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O), true, true},
          {&TForm1::Reload1, "再読み込み(&R)", QKeySequence(Qt::Key_F5), false, true},
          {nullptr, "文字コード(&C)", {}, false, true, &TForm1::Code1},
          Sep(&TForm1::N1),
          {&TForm1::Exit1, "Tavuko の終了(&X)", {}, true, true}}},
        {&TForm1::Edit1,
         "編集(&E)",
         {{&TForm1::Copy1, "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), false, true},
          {&TForm1::SelectAll1, "すべて選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), false, true},
          Sep(&TForm1::N4),
          {&TForm1::Find1, "検索(&F)...", QKeySequence(Qt::CTRL | Qt::Key_F), false, true},
          {&TForm1::FindN1, "次を検索(&N)", QKeySequence(Qt::Key_F3), false, true},
          {&TForm1::FindP1, "前を検索(&P)", QKeySequence(Qt::SHIFT | Qt::Key_F3), false, true},
          Sep(&TForm1::N6),
          {&TForm1::ExecEditor1, "エディタを起動(&E)\tShift+Enter", {}, true, true}}},
        {&TForm1::Go1, "移動(&G)", go},
        {&TForm1::Setting1,
         "設定(&S)",
         {{&TForm1::EnvSet1, "環境設定(&E)...", {}, true, true},
          {&TForm1::StatusBar1, "ステータスバー(&B)", {}, true, true},
          Sep(&TForm1::N3),
          {&TForm1::Den8LinkP1, "電信八号とリンク(&L)", {}, true, true},
          Sep(&TForm1::N8),
          {&TForm1::DelReg1, "設定情報を削除(&D)", {}, true, true}}},
        {&TForm1::Help1,
         "ヘルプ(&H)",
         {{&TForm1::Topic1, "トピックの検索(&H)", QKeySequence(Qt::Key_F1), true, true},
          {&TForm1::TavukoTxt1, "TAVUKO.TXT を開く(&T)", {}, true, true},
          Sep(&TForm1::N2),
          {&TForm1::About1, "バージョン情報(&A)", {}, true, true}}},
        {&TForm1::Code1,
         "文字コード(&C)",
         {{&TForm1::CodeAuto1, "自動判別(&A)", {}, true, true},
          Sep(&TForm1::N10),
          Code("Shift_JIS(&S)"),
          Code("EUC-JP(&E)"),
          Code("ISO-2022-JP(&J)"),
          Code("UTF-8(&U)"),
          Code("UTF-16LE(&L)"),
          Code("UTF-16BE(&B)")},
         false},
        {&TForm1::PopupMenu1,
         nullptr,
         {{&TForm1::CopyP1, "コピー(&C)", {}, true, true},
          Sep(&TForm1::N7),
          {&TForm1::BackP1, "前に戻る(&B)", {}, false, true},
          {&TForm1::ForwardP1, "次に進む(&F)", {}, false, true},
          Sep(&TForm1::N9),
          {&TForm1::ReloadP1, "再読み込み(&R)", {}, false, true}},
         false},
    };
}

// The access key a caption gives: Alt and the character after its single &.
QKeySequence AccessKey(const QString& caption)
{
    const int amp = caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || caption.indexOf(QLatin1Char('&'), amp + 1) >= 0 || amp + 1 >= caption.size()) return {};
    return QKeySequence(QStringLiteral("Alt+") + caption.at(amp + 1).toUpper());
}

class MenusTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = MakeForm();
        form->UserStoreFile = dir.filePath(QStringLiteral("user.reg"));
    }
    void Show()
    {
        ShowActive();
        view->setFocus();
    }
    void Open(const QString& name, const QByteArray& bytes) { form->OpenFile(Write(name, bytes), true); }
    // A right click in the view; the context menu it opens, closed again by Escape.
    struct Popup {
        bool shown, copy, sep, back, forward, reload;
    };
    // A left drag over the first n columns of the top row.
    void SelectTopRow(int n)
    {
        const int y = view->ClientRect().top() + view->LineHeight() / 2;
        const int x0 = view->ClientRect().left() + TBigView::LeftMargin + 1, x1 = x0 + n * view->CharWidth();
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(x0, y));
        QTest::mouseMove(view, QPoint(x1, y));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x1, y));
    }
    Popup RightClick()
    {
        QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
        QMenu* m = form->PopupMenu1;
        const Popup p{m->isVisible(),
                      form->CopyP1->isVisible(),
                      form->N7->isVisible(),
                      form->BackP1->isEnabled(),
                      form->ForwardP1->isEnabled(),
                      form->ReloadP1->isEnabled()};
        QTest::keyClick(m, Qt::Key_Escape);
        return p;
    }

    TBigView* view = nullptr;
};

TEST_F(MenusTest, EveryItemAsTheTablesGiveIt)
{
    const QList<QAction*> bar = form->menuBar()->actions();
    const std::vector<Menu> menus = DesignedMenus();
    ASSERT_EQ(bar.size(), qsizetype(std::count_if(menus.begin(), menus.end(), [](const Menu& m) { return m.inBar; })));
    for (size_t m = 0; m < menus.size(); ++m) {
        const Menu& design = menus[m];
        QMenu* menu = form.get()->*design.menu;
        ASSERT_NE(menu, nullptr);
        if (design.inBar) {
            EXPECT_EQ(bar[qsizetype(m)]->menu(), menu) << design.title;
        }
        if (design.title) {
            EXPECT_EQ(menu->title(), QString::fromUtf8(design.title));
            EXPECT_EQ(QKeySequence::mnemonic(menu->title()), AccessKey(menu->title())) << design.title;
            EXPECT_FALSE(AccessKey(menu->title()).isEmpty()) << design.title;
        }
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), qsizetype(design.rows.size())) << (design.title ? design.title : "context menu");
        int hist = 0, code = 0;
        for (size_t i = 0; i < design.rows.size(); ++i) {
            const Row& row = design.rows[i];
            QAction* a = items[qsizetype(i)];
            const QString where = QStringLiteral("%1 #%2 %3")
                                      .arg(design.title ? QString::fromUtf8(design.title) : QStringLiteral("context"))
                                      .arg(i)
                                      .arg(row.caption ? QString::fromUtf8(row.caption) : QStringLiteral("—"));
            if (row.item) {
                EXPECT_EQ(a, form.get()->*row.item) << where.toStdString();
            } else if (row.submenu) {
                EXPECT_EQ(a->menu(), form.get()->*row.submenu) << where.toStdString();
            } else if (row.radio) {
                EXPECT_EQ(a, form->CodeItems[size_t(code++)]) << where.toStdString();
                EXPECT_TRUE(a->isCheckable() && a->actionGroup() && a->actionGroup()->isExclusive())
                    << where.toStdString();
            } else {
                EXPECT_EQ(a->objectName(), QStringLiteral("HistP%1").arg(++hist)) << where.toStdString();
                EXPECT_EQ(a->data().toInt(), hist) << where.toStdString();  // the Tag
            }
            EXPECT_EQ(a->isSeparator(), row.caption == nullptr) << where.toStdString();
            EXPECT_EQ(a->isVisible(), row.shown) << where.toStdString();
            if (!row.caption) continue;
            EXPECT_EQ(a->text(), QString::fromUtf8(row.caption)) << where.toStdString();
            EXPECT_FALSE(AccessKey(a->text()).isEmpty()) << where.toStdString();
            EXPECT_EQ(a->shortcut(), row.shortcut) << where.toStdString();
            EXPECT_EQ(a->shortcuts().size(), row.shortcut.isEmpty() ? 0 : 1) << where.toStdString();
            if (row.shown) {  // Qt reports a hidden item disabled
                EXPECT_EQ(a->isEnabled(), row.enabled) << where.toStdString();
            }
            EXPECT_FALSE(a->isChecked()) << where.toStdString();
        }
    }
    EXPECT_TRUE(form->Den8LinkP1->isCheckable());
    EXPECT_EQ(view->PopupMenu(), form->PopupMenu1);
}

TEST_F(MenusTest, TheContextMenuShowsCopyOnlyWithASelection)
{
    Show();
    Open(QStringLiteral("a.txt"), "abcdef\r\nghijkl\r\n");
    const Popup none = RightClick();
    EXPECT_TRUE(none.shown);
    EXPECT_FALSE(none.copy);
    EXPECT_FALSE(none.sep);
    EXPECT_TRUE(none.reload);

    // A drag over part of the first line selects it; the context menu then offers Copy, and its
    // access key copies.
    SelectTopRow(3);
    ASSERT_GT(view->CopyToSelBuf(nullptr), 0);
    const Popup some = RightClick();
    EXPECT_TRUE(some.copy);
    EXPECT_TRUE(some.sep);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
    ASSERT_TRUE(form->PopupMenu1->isVisible());
    QTest::keyClick(form->PopupMenu1, Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
    EXPECT_FALSE(form->PopupMenu1->isVisible());
}

TEST_F(MenusTest, BeforeAnyFileTheContextMenuOffersNoMoves)
{
    Show();
    const Popup before = RightClick();
    EXPECT_TRUE(before.shown);
    EXPECT_FALSE(before.copy);
    EXPECT_FALSE(before.back);
    EXPECT_FALSE(before.forward);
    EXPECT_FALSE(before.reload);
}

TEST_F(MenusTest, AfterTwoFilesTheContextMenuOffersBackAndThenForward)
{
    Show();
    Open(QStringLiteral("a.txt"), "first\r\n");
    const std::string a = form->CurrentFileName();
    Open(QStringLiteral("b.txt"), "second\r\n");
    const Popup two = RightClick();
    EXPECT_TRUE(two.back);
    EXPECT_FALSE(two.forward);
    EXPECT_TRUE(two.reload);

    // B in the context menu goes back; then only Forward is offered.
    QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
    QTest::keyClick(form->PopupMenu1, Qt::Key_B);
    EXPECT_EQ(form->CurrentFileName(), a);
    const Popup back = RightClick();
    EXPECT_FALSE(back.back);
    EXPECT_TRUE(back.forward);
}

// The encoding submenu: the encoding in force checked, "自動判別" while nothing was chosen for the
// file; a choice reads the file again in it at the same file line, and holds for the file through
// other files, Back and Reload until detection is chosen again.
TEST_F(MenusTest, TheEncodingChosenForAFileHoldsForItUntilDetectionIsChosenAgain)
{
    Show();
    auto item = [&](TCharset c) {
        return form->CodeItems[size_t(std::find(std::begin(charset::kAll), std::end(charset::kAll), c) -
                                      std::begin(charset::kAll))];
    };
    auto shown = [&] {
        form->File1Click();  // what the menu shows when opened
        std::string checked;
        for (TCharset c : charset::kAll)
            if (item(c)->isChecked()) checked += std::string(charset::Key(c)) + " ";
        return (form->CodeAuto1->isChecked() ? "auto " : "") + checked;
    };
    QByteArray text;
    for (int i = 0; i < 200; ++i) text += QStringLiteral("%1 行目、あいう\n").arg(i).toUtf8();
    Open(QStringLiteral("u.txt"), text);
    const std::string u = form->CurrentFileName();
    EXPECT_TRUE(form->Code1->isEnabled());
    EXPECT_EQ(shown(), "auto utf-8 ");

    view->SetViewLineStart(view->ConvertIndexFromOrg(50));
    item(TCharset::Cp932)->trigger();
    EXPECT_EQ(view->Source().charset, TCharset::Cp932);
    EXPECT_EQ(view->ConvertIndexToOrg(view->ViewLineStart()), 50);
    EXPECT_EQ(shown(), "cp932 ");

    Open(QStringLiteral("b.txt"), "abc\r\n");
    EXPECT_EQ(shown(), "auto cp932 ");
    form->Back1Click();
    EXPECT_EQ(form->CurrentFileName(), u);
    EXPECT_EQ(view->Source().charset, TCharset::Cp932);
    form->Reload1Click();
    EXPECT_EQ(shown(), "cp932 ");

    item(TCharset::Utf16Le)->trigger();  // no byte order mark: read as it was asked
    EXPECT_EQ(view->Source(), (TBvSource{TCharset::Utf16Le, false}));
    form->CodeAuto1->trigger();
    EXPECT_EQ(shown(), "auto utf-8 ");
    EXPECT_TRUE(form->FileCharsets.empty());
}

// Ticks or clears "Ctrl+C, Ctrl+R をページスクロールにする" in the settings dialog and confirms it.
void SetCcrScrollInTheDialog(TForm1& form, bool on)
{
    WhenModal<TSettingDlg>([on](TSettingDlg* d) {
        d->CcrScroll1->setChecked(on);
        QTest::mouseClick(d->OKBtn, Qt::LeftButton);
    });
    form.EnvSet1->trigger();
}

TEST_F(MenusTest, CcrScrollMovesCopyToShiftF8AndCtrlCPagesUntilItIsTurnedOff)
{
    Show();
    QByteArray text;
    for (int i = 0; i < 200; ++i) text += "line " + QByteArray::number(i) + "\r\n";
    Open(QStringLiteral("a.txt"), text);
    SelectTopRow(4);
    const auto press = [this](Qt::Key key, Qt::KeyboardModifiers mods) {
        QApplication::setActiveWindow(form.get());
        view->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("before"));
        const int top = view->ViewLineStart();
        QTest::keyClick(view, key, mods);
        return std::pair{QApplication::clipboard()->text(), view->ViewLineStart() - top};
    };
    const std::pair<QString, int> copied{QStringLiteral("line"), 0}, paged{QStringLiteral("before"), view->ViewLines()};

    SetCcrScrollInTheDialog(*form, true);
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
    EXPECT_EQ(press(Qt::Key_C, Qt::ControlModifier), paged);
    EXPECT_EQ(press(Qt::Key_F8, Qt::ShiftModifier), copied);

    SetCcrScrollInTheDialog(*form, false);
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    SelectTopRow(4);  // the copy cleared the selection
    EXPECT_EQ(press(Qt::Key_C, Qt::ControlModifier), copied);
    EXPECT_EQ(press(Qt::Key_F8, Qt::ShiftModifier).second, 0);
}

}  // namespace
