// Following the end of the file shown as it grows: lines appended to it are added to the view,
// which stays at the end when it showed the end.
#include <QTimer>

#include "app/Follower.h"
#include "app/MainForm.h"
#include "app/StatusBar.h"
#include "bigview/Bigview.h"

// Turned on, it shows the end, where the new lines come.
void TForm1::Follow1Click()
{
    FollowShown();
    if (Following()) ScrollToEnd();
}

bool TForm1::Following() const { return follower_ && follower_->Following(); }

void TForm1::FollowShown()
{
    if (!follower_) {
        follower_ = new TFollower(this);
        connect(follower_, &TFollower::changed, this, [this] { FollowStep(); });
    }
    const std::string& name = CurrentFileName();
    // Another file shown ends the following of the one before.
    const bool another = follower_->Following() && follower_->Name() != name;
    if (another || file_.ShownInput()) Follow1->setChecked(false);
    if (!Follow1->isChecked() || name.empty()) follower_->Stop();
    else follower_->Start(name, BigView1->DisplayLines().Store());
    SetFollowingShown(Following());
}

void TForm1::FollowStep()
{
    if (!Following()) return;
    // A load or a search first; display lines derived off this thread are waited for.
    if (Deferred([this] { FollowStep(); })) return;
    if (BigView1->Rederiving()) {
        QTimer::singleShot(50, this, [this] { FollowStep(); });
        return;
    }
    const bool atEnd = BigView1->ViewLineEnd() >= BigView1->GetCount() - 1;
    const TBvTail::TStep step = follower_->Step();
    if (step.what == TBvTail::TStep::Lines) {
        BigView1->AddTail(step.replaceLast, step.lines);
        if (statusBar_) statusBar_->TextChanged();  // the new lines may end otherwise
        if (atEnd) ScrollToEnd();
    } else if (step.what == TBvTail::TStep::Again) {
        // Shrunk or replaced at its name: read anew from its start, still followed.
        const int org = BigView1->ConvertIndexToOrg(BigView1->ViewLineStart());
        StartLoad({CurrentFileName(), false, -1, [this, atEnd, org] {
                       if (atEnd) ScrollToEnd();
                       else ShowFileLine(org);
                   }});
    }
}
