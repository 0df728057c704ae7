#include "app/StatusBar.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>

#include "bigview/Bigview.h"

TStatusBar::TStatusBar(TBigView* view, QWidget* parent) : QStatusBar(parent), view_(view)
{
    setSizeGripEnabled(true);
    for (QLabel*& label : labels_) {
        label = new QLabel(this);
        label->setContentsMargins(4, 0, 4, 0);
        addPermanentWidget(label);
    }
    view_->installEventFilter(this);
    Refresh();
}

void TStatusBar::SetFollowing(bool following)
{
    following_ = following;
    Refresh();
}

void TStatusBar::TextChanged()
{
    lineEnds_.reset();
    Refresh();
}

void TStatusBar::Refresh()
{
    // Hidden, it costs nothing; the line ends of a large text are looked at only when shown.
    if (isHidden()) return;
    if (!lineEnds_) lineEnds_ = view_->LineEnds();
    TStatusFacts f;
    f.source = view_->Source();
    f.lineEnds = *lineEnds_;
    f.fileLines = view_->GetCountOrg();
    f.displayLines = view_->GetCount();
    f.topLine = std::max(0, view_->ConvertIndexToOrg(view_->ViewLineStart()));
    f.lastShown = view_->ViewLineEnd();
    f.following = following_;
    const TStatusTexts t = StatusTexts(f);
    if (t == texts_ && shown_) return;
    texts_ = t;
    shown_ = true;
    const QString* texts[] = {&t.following, &t.encoding, &t.lineEnds, &t.line, &t.percent};
    for (size_t i = 0; i < labels_.size(); ++i) {
        labels_[i]->setText(*texts[i]);
        labels_[i]->setVisible(!texts[i]->isEmpty());
    }
}

bool TStatusBar::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == view_ && e->type() == QEvent::Paint) Refresh();
    return QStatusBar::eventFilter(watched, e);
}
