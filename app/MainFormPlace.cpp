// Go to line, select all, and the status bar with its switch.
#include <QAction>

#include "app/MainForm.h"
#include "app/Place.h"
#include "app/StatusBar.h"
#include "bigview/Bigview.h"
#include "dialogs/GoToLineDlg.h"

void TForm1::GoLine1Click()
{
    const int count = BigView1->GetCountOrg();
    if (count == 0) return;
    TGoToLineDlg dialog(PlaceOfTop(*BigView1).line + 1, count, this);
    if (dialog.exec() != QDialog::Accepted) return;
    ShowPlace(*BigView1, {dialog.Line() - 1, 0});
}

void TForm1::SelectAll1Click()
{
    const int last = BigView1->GetCount() - 1;
    if (last < 0) return;
    BigView1->SetSelStart({1, 0});
    BigView1->SetSelEnd({int(BigView1->Get(last).size()) + 1, last});
    BigView1->MapUpdate();
}

void TForm1::StatusBar1Click()
{
    Settings.StatusBar = StatusBar1->isChecked();
    ApplyStatusBar();
}

// Made when first turned on, so that a window without it is exactly as it always was.
void TForm1::ApplyStatusBar()
{
    StatusBar1->setChecked(Settings.StatusBar);
    if (!Settings.StatusBar && !statusBar_) return;
    if (!statusBar_) {
        statusBar_ = new TStatusBar(BigView1, this);
        statusBar_->SetFollowing(followingShown_);
        setStatusBar(statusBar_);
    }
    statusBar_->setVisible(Settings.StatusBar);
    statusBar_->Refresh();
}

void TForm1::SetFollowingShown(bool following)
{
    followingShown_ = following;
    if (statusBar_) statusBar_->SetFollowing(following);
}
