// Loading and saving the settings, deleting them, the settings dialog and the about box.
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include "app/MainForm.h"
#include "app/ViewSettings.h"
#include "bigview/Bigview.h"
#include "dialogs/AboutBox.h"
#include "dialogs/SettingDlg.h"
#include "platform/UserStore.h"

namespace {
const QString DeleteCaption = QStringLiteral("設定情報を削除");
}

// At the first showing, before the first argument is opened. A window without a stored position
// keeps the window system's placement.
void TForm1::LoadSettings()
{
    platform::TRegistry reg(UserStoreFile);
    Settings.Load(reg, logicalDpiY());
    std::vector<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) screens.push_back(s->availableGeometry());
    // The title bar's height, while a window manager has not framed the window yet 0: its top row
    // is kept on the screen then, and the manager keeps its own title bar there.
    const int titleBar = geometry().top() - frameGeometry().top();
    const QRect g = Settings.WindowGeometry(geometry(), minimumSizeHint(), screens, titleBar);
    if (Settings.HasWindowPos()) setGeometry(g);
    else resize(g.size());
    ApplySettingsToView(Settings, *BigView1);
    SetCopyShortcut();
    ApplyStatusBar();
}

void TForm1::SaveSettings()
{
    Settings.TakeWindowGeometry(normalGeometry());
    TakeSettingsFromView(Settings, *BigView1);
    platform::TRegistry reg(UserStoreFile);
    if (Settings.Save(reg, logicalDpiY()) == TSettings::TSaveResult::WriteFailed)
        MessageBox(QStringLiteral("レジストリに設定値を書き込めませんでした。"), QStringLiteral("レジストリ書き込み"),
                   QMessageBox::Critical);
}

void TForm1::SetCopyShortcut()
{
    Copy1->setShortcut(Settings.CcrScroll ? QKeySequence(Qt::SHIFT | Qt::Key_F8) : QKeySequence(Qt::CTRL | Qt::Key_C));
}

void TForm1::EnvSet1Click()
{
    TakeSettingsFromView(Settings, *BigView1);
    {
        TSettingDlg dialog(
            Settings, logicalDpiY(),
            [this] {
                ApplySettingsToView(Settings, *BigView1);
                SaveSettings();
            },
            this);
        dialog.exec();
    }
    BigView1->MapUpdate();
    SetCopyShortcut();
}

void TForm1::DelReg1Click()
{
    QThread::msleep(100);
    if (MessageBox(QStringLiteral("Tavuko の設定情報を削除して終了します。\nよろしいですか？"), DeleteCaption,
                   QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    DelReg1->setData(1);  // closing saves nothing now
    platform::TRegistry reg(UserStoreFile);
    switch (DeleteSettings(reg)) {
    case TDeleteResult::NotWritten:
        MessageBox(QStringLiteral("設定情報は書き込まれていませんでした。"), DeleteCaption, QMessageBox::Information);
        break;
    case TDeleteResult::KeyNotDeleted:
    case TDeleteResult::MakerNotDeleted:
        MessageBox(QStringLiteral("削除ができませんでした。"), DeleteCaption, QMessageBox::Critical);
        break;
    case TDeleteResult::OthersKept:
        MessageBox(QStringLiteral("Tavuko の設定情報を削除しました。"), DeleteCaption, QMessageBox::Information);
        break;
    case TDeleteResult::Deleted:
        MessageBox(QStringLiteral("設定情報を削除しました。"), DeleteCaption, QMessageBox::Information);
        break;
    }
    close();
}

void TForm1::About1Click()
{
    TAboutBox box(this);
    box.exec();
}
