// The settings dialog: filled from the settings, every value written back on OK and then applied
// once, nothing on Cancel, the choosers, and the keyboard.
#include "dialogs/SettingDlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "bigview/Bigview.h"
#include "support/WhenModal.h"

namespace {

TSettings Sample()
{
    TSettings s;
    s.FontName = QStringLiteral("ＭＳ ゴシック");
    s.FontHeight = 16;
    s.FontColor = 0x0000FF;
    s.BgColor = 0x102030;
    s.CRColor = 0xFFFF00;
    s.CRView = true;
    s.SmoothScroll = true;
    s.Last1PageScroll = false;
    s.ExitEnterKey = true;
    s.FgWindow = false;
    s.CcrScroll = true;
    s.EditorName = QStringLiteral("xdg-open");
    s.EditorParam = QStringLiteral("$file");
    s.WindowPosX = 3;
    return s;
}

class SettingDlgTest : public ::testing::Test {
protected:
    // Shows the dialog as the active window, as a user meets it.
    void Show()
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
        QTest::keyClick(target, key, mods);
    }
    // An access key: the button shows itself pressed and clicks 100 ms later.
    void Access(Qt::Key key) { AccessKey(&dialog, key); }

public:
    // The window is made active first: after a chooser closes, a window manager gives the
    // activation back to the dialog, the offscreen platform does not.
    static void AccessKey(QWidget* w, Qt::Key key)
    {
        QApplication::setActiveWindow(w->window());
        QTest::keyClick(w, key, Qt::AltModifier);
        QTest::qWait(200);
    }

    TSettings settings = Sample();
    int applied = 0;
    TSettings atApply;
    TSettingDlg dialog{settings, 96, [this] {
                           ++applied;
                           atApply = settings;
                       }};
};

TEST_F(SettingDlgTest, IsFilledFromTheSettingsAndOpensOnItsFirstPage)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("環境設定"));
    EXPECT_EQ(dialog.size(), QSize(367, 273));
    ASSERT_EQ(dialog.PageControl1->count(), 3);
    EXPECT_EQ(dialog.PageControl1->tabText(0), QStringLiteral("表示"));
    EXPECT_EQ(dialog.PageControl1->tabText(1), QStringLiteral("動作"));
    EXPECT_EQ(dialog.PageControl1->tabText(2), QStringLiteral("ツール"));
    EXPECT_EQ(dialog.PageControl1->currentIndex(), 0);
    EXPECT_EQ(dialog.FNameLabel1->text(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(dialog.FSizeLabel1->text(), QStringLiteral("12 ポイント"));  // 16 px at 96 per inch
    EXPECT_TRUE(dialog.FSizeLabel1->alignment() & Qt::AlignRight);
    EXPECT_EQ(TSettingDlg::SwatchColor(dialog.CharColPanel1), 0x0000FFu);
    EXPECT_EQ(TSettingDlg::SwatchColor(dialog.BGColPanel1), 0x102030u);
    EXPECT_EQ(TSettingDlg::SwatchColor(dialog.CRColPanel1), 0xFFFF00u);
    EXPECT_TRUE(dialog.CRView1->isChecked());
    EXPECT_TRUE(dialog.Smooth1->isChecked());
    EXPECT_FALSE(dialog.Last1Page1->isChecked());
    EXPECT_TRUE(dialog.ExitEnterKey1->isChecked());
    EXPECT_FALSE(dialog.FgWindow1->isChecked());
    EXPECT_TRUE(dialog.CcrScroll1->isChecked());
    EXPECT_EQ(dialog.EditorName->text(), QStringLiteral("xdg-open"));
    EXPECT_EQ(dialog.EditorParam->text(), QStringLiteral("$file"));
    EXPECT_EQ(dialog.InfoLabel2->text(), QStringLiteral("例： /J$line $file"));
    EXPECT_TRUE(dialog.OKBtn->isDefault());
    EXPECT_EQ(dialog.CancelBtn->text(), QStringLiteral("キャンセル"));
}

TEST_F(SettingDlgTest, TheSizeIsReadBackFromTheLeadingIntegerOfItsLabel)
{
    const std::vector<std::pair<QString, int>> cases = {
        {"9 ポイント ", 9},
        {"12 ポイント", 12},
        {"  +14x", 14},
        {"-3 ポイント", -3},
        {"ポイント", 0},
        {"", 0},
        {"+", 0},
        {" 0012", 12},
        {"99999999999", INT_MAX},
        {"1 2", 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(TSettingDlg::LeadingInteger(text), value) << text.toStdString();
}

TEST_F(SettingDlgTest, OkByKeyboardWritesEveryValueBackAndThenAppliesThemOnce)
{
    Show();
    Access(Qt::Key_V);  // 改行を表示する(&V)
    Key(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(dialog.PageControl1->currentIndex(), 1);
    Access(Qt::Key_L);  // 最後も 1ページスクロール(&L)
    Access(Qt::Key_C);  // the page's own &C: Ctrl+C, Ctrl+R をページスクロールにする
    Key(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(dialog.PageControl1->currentIndex(), 2);
    dialog.EditorName->setFocus();
    dialog.EditorName->selectAll();
    QTest::keyClicks(dialog.EditorName, QStringLiteral("/usr/bin/gedit"));
    dialog.EditorParam->setFocus();
    dialog.EditorParam->selectAll();
    QTest::keyClicks(dialog.EditorParam, QStringLiteral("+$line $file"));
    Key(Qt::Key_Return);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(applied, 1);
    TSettings expected = Sample();
    expected.FontHeight = 16;  // 12 points back to 16 px
    expected.CRView = false;
    expected.Last1PageScroll = true;
    expected.CcrScroll = false;
    expected.EditorName = QStringLiteral("/usr/bin/gedit");
    expected.EditorParam = QStringLiteral("+$line $file");
    for (const TSettings* s : {&settings, &atApply}) {
        EXPECT_EQ(s->FontName, expected.FontName);
        EXPECT_EQ(s->FontHeight, expected.FontHeight);
        EXPECT_EQ(s->FontColor, expected.FontColor);
        EXPECT_EQ(s->BgColor, expected.BgColor);
        EXPECT_EQ(s->CRColor, expected.CRColor);
        EXPECT_EQ(s->CRView, expected.CRView);
        EXPECT_EQ(s->SmoothScroll, expected.SmoothScroll);
        EXPECT_EQ(s->Last1PageScroll, expected.Last1PageScroll);
        EXPECT_EQ(s->ExitEnterKey, expected.ExitEnterKey);
        EXPECT_EQ(s->FgWindow, expected.FgWindow);
        EXPECT_EQ(s->CcrScroll, expected.CcrScroll);
        EXPECT_EQ(s->EditorName, expected.EditorName);
        EXPECT_EQ(s->EditorParam, expected.EditorParam);
        EXPECT_EQ(s->WindowPosX, expected.WindowPosX);  // not the dialog's: untouched
    }
}

TEST_F(SettingDlgTest, EscapeAndCancelChangeNothing)
{
    for (const bool escape : {true, false}) {
        TSettings s = Sample();
        int calls = 0;
        TSettingDlg d(s, 96, [&] { ++calls; });
        d.show();
        QApplication::setActiveWindow(&d);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        SettingDlgTest::AccessKey(&d, Qt::Key_V);
        ASSERT_FALSE(d.CRView1->isChecked());
        d.EditorName->setText(QStringLiteral("changed"));
        d.Smooth1->setChecked(false);
        if (escape) QTest::keyClick(&d, Qt::Key_Escape);
        else QTest::mouseClick(d.CancelBtn, Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(s.CRView);
        EXPECT_TRUE(s.SmoothScroll);
        EXPECT_EQ(s.EditorName, QStringLiteral("xdg-open"));
    }
}

TEST_F(SettingDlgTest, TheColourChoosersChangeTheirSwatchOnlyWhenAccepted)
{
    Show();
    struct Case {
        Qt::Key key;
        QFrame* swatch;
    };
    for (const Case& c : {Case{Qt::Key_C, dialog.CharColPanel1}, Case{Qt::Key_B, dialog.BGColPanel1},
                          Case{Qt::Key_R, dialog.CRColPanel1}}) {
        const TColor before = TSettingDlg::SwatchColor(c.swatch);
        WhenModal<QColorDialog>([&](QColorDialog* d) {
            EXPECT_EQ(FromQColor(d->currentColor()), before);  // preset with the swatch's colour
            d->setCurrentColor(QColor(1, 2, 3));
            d->reject();
        });
        Access(c.key);
        EXPECT_EQ(TSettingDlg::SwatchColor(c.swatch), before);
        WhenModal<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(0x11, 0x22, 0x33));
            d->accept();
        });
        Access(c.key);
        EXPECT_EQ(TSettingDlg::SwatchColor(c.swatch), 0x332211u);
    }
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(settings.FontColor, 0x0000FFu) << "nothing is written before OK";
}

TEST_F(SettingDlgTest, TheFontChooserTakesOnlyTheFaceAndTheSize)
{
    Show();
    WhenModal<QFontDialog>([](QFontDialog* d) {
        EXPECT_EQ(d->currentFont().pointSize(), 12);
        d->reject();
    });
    Access(Qt::Key_F);
    EXPECT_EQ(dialog.FNameLabel1->text(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(dialog.FSizeLabel1->text(), QStringLiteral("12 ポイント"));

    WhenModal<QFontDialog>([](QFontDialog* d) {
        QFont f(QStringLiteral("IPAPGothic"));
        f.setPointSize(14);
        f.setBold(true);
        d->setCurrentFont(f);
        d->accept();
    });
    Access(Qt::Key_F);
    EXPECT_EQ(dialog.FNameLabel1->text(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(dialog.FSizeLabel1->text(), QStringLiteral("14 ポイント"));
    QApplication::setActiveWindow(&dialog);
    Key(Qt::Key_Return);
    EXPECT_EQ(settings.FontName, QStringLiteral("IPAPGothic"));
    EXPECT_EQ(settings.FontHeight, 19);  // 14 points at 96 per inch: 18.67 px
}

TEST_F(SettingDlgTest, TheEditorBrowserListsEveryFileAndGivesTheFullPath)
{
    Show();
    Key(Qt::Key_Tab, Qt::ControlModifier);
    Key(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(dialog.PageControl1->currentIndex(), 2);
    dialog.EditorName->setText(QStringLiteral("sh"));
    bool browsed = false;
    WhenModal<QFileDialog>([&browsed](QFileDialog* d) {
        browsed = true;
        EXPECT_EQ(d->windowTitle(), QStringLiteral("使用するエディタ"));
        EXPECT_EQ(d->nameFilters(), QStringList({QStringLiteral("EXEファイル(*.exe) (*.exe)"),
                                                 QStringLiteral("すべてのファイル(*.*) (*)")}));
        EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("すべてのファイル(*.*)"));  // shown without its pattern
        // It opens where the editor named now was found on PATH.
        EXPECT_EQ(QFileInfo(QStandardPaths::findExecutable(QStringLiteral("sh"))).dir(), d->directory());
        d->reject();
    });
    Access(Qt::Key_B);  // 参照(&B), this page's &B
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return browsed; }, 30000));  // a slow machine clicks late, and lists /usr/bin slowly
    EXPECT_EQ(dialog.EditorName->text(), QStringLiteral("sh"));
    EXPECT_EQ(TSettingDlg::SwatchColor(dialog.BGColPanel1), 0x102030u) << "the other page's &B stayed shut";

    const QString program = QStandardPaths::findExecutable(QStringLiteral("sh"));
    ASSERT_FALSE(program.isEmpty());
    WhenModal<QFileDialog>([program](QFileDialog* d) {
        // The whole path, as typed: the folder's listing may still be loading.
        d->selectFile(QFileInfo(program).absoluteFilePath());
        static_cast<QDialog*>(d)->accept();  // as the dialog's own Open button does
    });
    Access(Qt::Key_B);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.EditorName->text() != QStringLiteral("sh"); }, 30000));
    EXPECT_EQ(dialog.EditorName->text(), QFileInfo(program).absoluteFilePath());
}

}  // namespace
