// The main window's settings: loaded at the first showing before the first file opens, saved on
// close unless deleted, the delete command's question and outcomes, the settings dialog and the
// about box reached from the menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "dialogs/AboutBox.h"
#include "dialogs/SettingDlg.h"
#include "platform/UserStore.h"
#include "support/MainFormFixture.h"
#include "support/WhenModal.h"

namespace {

const QByteArray Head = "Windows Registry Editor Version 5.00\n\n";
const QByteArray KeyLine = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n";

// A view that notes the font it has when a file is loaded.
class TFontNotingView : public TBigView {
public:
    int FontHeightAtLoad = 0;
    void BeginLoad(const TBvLoadSource& source, int tabStop, std::function<void(TBvLoadFailure)> done) override
    {
        FontHeightAtLoad = ViewFont().Font().pixelSize();
        TBigView::BeginLoad(source, tabStop, std::move(done));
    }
};

class SettingsFormTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = MakeForm<TFontNotingView>();
        form->UserStoreFile = store;
    }
    void Put(const QByteArray& bytes, const QString& name = {})
    {
        QFile f(name.isEmpty() ? store : name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get() const
    {
        QFile f(store);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    int32_t Stored(const char* name)
    {
        platform::TRegistry reg(store);
        int32_t v = INT32_MIN;
        EXPECT_TRUE(reg.OpenKey(QString::fromLatin1(TSettings::Key), false));
        EXPECT_TRUE(reg.ReadInteger(QString::fromLatin1(name), v)) << name;
        return v;
    }

    QString store = dir.filePath(QStringLiteral("user.reg"));
    TFontNotingView* view = nullptr;
};

TEST_F(SettingsFormTest, AFirstRunStartsWithTheDefaultsAndClosingWritesAllSeventeenValues)
{
    form->show();
    EXPECT_TRUE(form->Settings.ExitEnterKey);
    EXPECT_EQ(form->Settings.EditorName, QStringLiteral("xdg-open"));
    EXPECT_EQ(form->Settings.EditorParam, QStringLiteral("$file"));
    EXPECT_FALSE(form->Settings.CcrScroll);
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(view->size(), QSize(522, 394));
    EXPECT_FALSE(QFile::exists(store)) << "loading writes nothing";

    const QRect g = form->geometry();
    form->close();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Stored("WindowPosX"), g.x());
    EXPECT_EQ(Stored("WindowPosY"), g.y());
    EXPECT_EQ(Stored("WindowWidth"), g.width());
    EXPECT_EQ(Stored("WindowHeight"), g.height());
    EXPECT_EQ(Stored("FontSize"), 9);
    EXPECT_EQ(Stored("FontColor"), 0xFFFFFF);
    EXPECT_EQ(Stored("BgColor"), 0);
    EXPECT_EQ(Stored("CRView"), 1);
    EXPECT_EQ(Stored("CRColor"), 0xFFFF00);
    EXPECT_EQ(Stored("ExitEnterKey"), 1);
    EXPECT_EQ(Stored("CcrScroll"), 0);
    EXPECT_EQ(Stored("StatusBar"), 0);
    const QByteArray text = Get();
    EXPECT_TRUE(text.contains("\"FontName\"=\"ＭＳ ゴシック\"\n"));
    EXPECT_TRUE(text.contains("\"EditorName\"=\"xdg-open\"\n"));
    EXPECT_TRUE(text.contains("\"EditorParam\"=\"$file\"\n"));
    EXPECT_EQ(text.count("\n\""), 18);
}

TEST_F(SettingsFormTest, StoredValuesAreInForceFromTheFirstShowingBeforeTheFirstFileOpens)
{
    Put(Head + KeyLine +
        "\"WindowPosX\"=dword:00000032\n\"WindowPosY\"=dword:0000003c\n"
        "\"WindowWidth\"=dword:000002bc\n\"WindowHeight\"=dword:000001f4\n"
        "\"FontSize\"=dword:0000000c\n\"FontColor\"=dword:0000ff00\n\"BgColor\"=dword:00800000\n"
        "\"CRView\"=dword:00000000\n\"EditorName\"=\"notepad.exe\"\n\"CcrScroll\"=dword:00000001\n"
        "\"CRColor\"=dword:000000ff\n");
    const QString text = dir.filePath(QStringLiteral("a.txt"));
    Put("line\r\n", text);
    form->Arguments.file = QFile::encodeName(text).toStdString();
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() > 0; }));
    EXPECT_EQ(view->FontHeightAtLoad, 16);  // 12 points at 96 per inch, already when the file opened
    EXPECT_EQ(form->geometry(), QRect(50, 60, 700, 500));
    EXPECT_EQ(view->ViewFont().Font().pixelSize(), 16);
    EXPECT_EQ(view->FontColor(), 0x00FF00u);
    EXPECT_EQ(view->Color(), 0x800000u);
    EXPECT_EQ(view->CRColor(), 0x0000FFu);
    EXPECT_FALSE(view->CRMark());
    EXPECT_EQ(form->Settings.EditorName, QStringLiteral("notepad.exe"));
    EXPECT_TRUE(form->Settings.ExitEnterKey) << "a value not in the key takes its default";
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
}

TEST_F(SettingsFormTest, TheLargestStoredNumbersGiveAWindowOnTheScreenAndTheLargestFont)
{
    Put(Head + KeyLine +
        "\"WindowPosX\"=dword:7fffffff\n\"WindowPosY\"=dword:7fffffff\n"
        "\"WindowWidth\"=dword:7fffffff\n\"WindowHeight\"=dword:7fffffff\n\"FontSize\"=dword:7fffffff\n");
    form->show();
    const QRect screen = form->screen()->availableGeometry(), g = form->geometry();
    EXPECT_LE(g.width(), screen.width());
    EXPECT_LE(g.height(), screen.height());
    EXPECT_TRUE(screen.contains(g.topLeft()) && screen.contains(g.topRight())) << "its top on the screen";
    // The size in force, which the settings dialog shows, is the largest the view takes.
    EXPECT_EQ(form->Settings.FontHeight, TSettings::MaxFontHeight);
    EXPECT_EQ(view->ViewFont().Font().pixelSize(), TSettings::MaxFontHeight);
}

TEST_F(SettingsFormTest, ClosingAMaximizedWindowSavesItsNormalGeometry)
{
    form->show();
    form->setGeometry(40, 50, 600, 400);
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->geometry().width() != 600; }));
    form->close();
    EXPECT_EQ(Stored("WindowPosX"), 40);
    EXPECT_EQ(Stored("WindowPosY"), 50);
    EXPECT_EQ(Stored("WindowWidth"), 600);
    EXPECT_EQ(Stored("WindowHeight"), 400);
}

TEST_F(SettingsFormTest, ASaveThatFailsIsReportedOnce)
{
    const std::vector<std::pair<const char*, std::function<bool()>>> blockers = {
        {"a folder where the store should be", [&] { return QDir().mkpath(store); }},
        {"a link planted where the lock should be",
         [&] { return QFile::link(dir.filePath(QStringLiteral("elsewhere")), store + QStringLiteral(".lock")); }},
    };
    for (const auto& [name, block] : blockers) {
        SetUp();
        QDir(store).removeRecursively();
        QFile::remove(store + QStringLiteral(".lock"));
        ASSERT_TRUE(block()) << name;
        form->show();
        form->close();
        ASSERT_EQ(messages.size(), 1u) << name;
        EXPECT_EQ(messages[0].text, QStringLiteral("レジストリに設定値を書き込めませんでした。"));
        EXPECT_EQ(messages[0].caption, QStringLiteral("レジストリ書き込み"));
        EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere")))) << name;
        messages.clear();
        TearDown();
    }
}

TEST_F(SettingsFormTest, DeletingAsksFirstWithNoAsTheDefaultAndNoChangesNothing)
{
    const QByteArray before = Head + KeyLine + "\"FontSize\"=dword:00000009\n";
    Put(before);
    form->show();
    answer = QMessageBox::No;
    form->DelReg1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Tavuko の設定情報を削除して終了します。\nよろしいですか？"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("設定情報を削除"));
    EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
    EXPECT_EQ(messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(messages[0].defaultButton, QMessageBox::No);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->DelReg1->data().toInt(), 0);
    EXPECT_EQ(Get(), before);
    form->close();  // and closing saves as ever
    EXPECT_EQ(Stored("CcrScroll"), 0);
}

TEST_F(SettingsFormTest, DeletingReportsItsOutcomeAndTheWindowClosesWithoutSaving)
{
    const QByteArray mine = KeyLine + "\"FontSize\"=dword:00000009\n\n";
    const QByteArray maker = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\n";
    const QByteArray sibling = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Other]\n\"X\"=dword:00000001\n\n";
    struct Case {
        const char* name;
        QByteArray before, after;
        QString message;
        QMessageBox::Icon icon;
    };
    const std::vector<Case> cases = {
        {"nothing written", Head + maker, Head + maker, "設定情報は書き込まれていませんでした。",
         QMessageBox::Information},
        {"another program's key", Head + maker + mine + sibling, Head + maker + sibling,
         "Tavuko の設定情報を削除しました。", QMessageBox::Information},
        {"the maker's key too", Head + maker + mine, Head, "設定情報を削除しました。", QMessageBox::Information},
        // Hand-written: the maker's key is there only as the key that holds this program's.
        {"no section for the maker's key", Head + mine, Head, "設定情報を削除しました。", QMessageBox::Information},
    };
    for (const Case& c : cases) {
        SetUp();
        Put(c.before);
        form->show();
        form->DelReg1->trigger();
        EXPECT_FALSE(form->isVisible()) << c.name;
        EXPECT_EQ(form->DelReg1->data().toInt(), 1) << c.name;
        EXPECT_EQ(Get().toStdString(), c.after.toStdString()) << c.name << ": closing saved nothing";
        ASSERT_EQ(messages.size(), 2u) << c.name;
        EXPECT_EQ(messages[1].text, c.message) << c.name;
        EXPECT_EQ(messages[1].caption, QStringLiteral("設定情報を削除")) << c.name;
        EXPECT_EQ(messages[1].icon, c.icon) << c.name;
        EXPECT_EQ(messages[1].buttons, QMessageBox::Ok) << c.name;
        messages.clear();
        TearDown();
    }
}

// Whether the view's screen map shows any pixel of the colour.
bool MapShows(const TBigView& v, TColor c)
{
    const QImage& img = v.MapImage();
    const QRgb want = ToQColor(c).rgb();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == want) return true;
    return false;
}

TEST_F(SettingsFormTest, TheSettingsDialogAppliesAndSavesOnOkAndCancelChangesNothing)
{
    const QString text = dir.filePath(QStringLiteral("a.txt"));
    Put("line one\r\nline two\r\n", text);
    form->Arguments.file = QFile::encodeName(text).toStdString();
    ShowActive();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() > 0; }));
    ASSERT_TRUE(MapShows(*view, clAqua));  // the line-end marks
    const TColor red = 0x0000FF;

    // Cancel, after changes on two pages: nothing changes, nothing is written.
    WhenModal<TSettingDlg>([](TSettingDlg* d) {
        EXPECT_EQ(d->PageControl1->currentIndex(), 0);
        d->CcrScroll1->setChecked(true);
        d->EditorName->setText(QStringLiteral("changed"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    form->EnvSet1->trigger();
    EXPECT_FALSE(QFile::exists(store));
    EXPECT_FALSE(form->Settings.CcrScroll);
    EXPECT_EQ(form->Settings.EditorName, QStringLiteral("xdg-open"));
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));

    // OK: a new line-end colour and CcrScroll; shown and saved at once.
    WhenModal<TSettingDlg>([red](TSettingDlg* d) {
        WhenModal<QColorDialog>([red](QColorDialog* c) {
            c->setCurrentColor(ToQColor(red));
            c->accept();
        });
        QTest::mouseClick(d->CRColBtn1, Qt::LeftButton);
        QApplication::setActiveWindow(d);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        ASSERT_EQ(d->PageControl1->currentIndex(), 1);
        QTest::keyClick(d, Qt::Key_C, Qt::AltModifier);  // Ctrl+C, Ctrl+R をページスクロールにする(&C)
        QTest::qWait(200);                               // the box clicks 100 ms after its key
        EXPECT_TRUE(d->CcrScroll1->isChecked());
        QTest::keyClick(d, Qt::Key_Return);
    });
    form->EnvSet1->trigger();
    EXPECT_TRUE(form->Settings.CcrScroll);
    EXPECT_EQ(form->Copy1->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
    EXPECT_EQ(view->CRColor(), red);
    EXPECT_TRUE(MapShows(*view, red)) << "the view is refreshed after the dialog";
    EXPECT_FALSE(MapShows(*view, clAqua));
    EXPECT_EQ(Stored("CRColor"), int32_t(red));
    EXPECT_EQ(Stored("CcrScroll"), 1);

    // The next opening shows the values of now, on its first page again.
    WhenModal<TSettingDlg>([red](TSettingDlg* d) {
        EXPECT_EQ(d->PageControl1->currentIndex(), 0);
        EXPECT_TRUE(d->CcrScroll1->isChecked());
        EXPECT_EQ(TSettingDlg::SwatchColor(d->CRColPanel1), red);
        d->reject();
    });
    form->EnvSet1->trigger();
}

TEST_F(SettingsFormTest, TheAboutBoxOpensModallyOverTheWindow)
{
    ShowActive();
    bool shown = false;
    WhenModal<TAboutBox>([&](TAboutBox* box) {
        shown = true;
        EXPECT_EQ(box->parentWidget(), form.get());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    form->About1->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(form->isVisible());
}

}  // namespace
