// Scrolling: the top line, the scroll-bar positions and the acceleration of repeated requests.
#include <QScrollBar>
#include <cmath>

#include "bigview/Bigview.h"

void TBigView::SetViewLineStart(int line)
{
    const int count = GetCount();
    int v = line;
    if (v >= count) v = count - 1;
    if (v < 0) v = 0;
    const long long delta = (long long)v - viewLineStart_;
    if (OnViewLineChanging) OnViewLineChanging(this, v);
    viewLineStart_ = v;
    long long end = (long long)viewLineStart_ + viewLines_ - 1;
    if (end > count - 1) end = count - 1;
    if (end < 0) end = 0;
    viewLineEnd_ = int(end);

    sel_.FollowView(viewLineStart_, viewLineEnd_);
    PlaceCaret();

    if (delta != 0) {
        DoVScroll(SB_THUMBPOSITION, -1, 0);
        if (delta > 0) MapScrollUp(int(std::min<long long>(delta, INT32_MAX)));
        else MapScrollDown(int(std::min<long long>(-delta, INT32_MAX)));
    } else {
        MapUpdate();
    }
    if (OnViewLineChanged) OnViewLineChanged(this);
    emit viewLineChanged();
}

void TBigView::SetViewLineEnd(int line)
{
    const int count = GetCount();
    int v = line;
    if (v >= count) v = count - 1;
    if (v < 0) v = 0;
    viewLineEnd_ = v;
    long long top = (long long)v - viewLines_ + 1;
    if (scOver_ && top < viewLineStart_ && viewLineStart_ <= v) top = viewLineStart_;
    if (top < 0) top = 0;
    SetViewLineStart(int(top));
}

void TBigView::SetScVPos(int pos)
{
    if (ScrollLimit() < 0) pos = 0;
    scVPos_.Push(pos);
    MoveBar(vBar_, scVPos_.Pos());
}

// Moves a bar's thumb. Drawing the bar costs more than scrolling a line of text, so it is left
// to the next turn of the event loop instead of riding on every presented map change.
void TBigView::MoveBar(QScrollBar* bar, int pos)
{
    if (bar->value() == pos) return;
    if (bar->isVisible() && bar->updatesEnabled()) {
        bar->setUpdatesEnabled(false);
        QMetaObject::invokeMethod(
            bar, [bar] { bar->setUpdatesEnabled(true); }, Qt::QueuedConnection);
    }
    bar->setValue(pos);
}

void TBigView::SetScHPos(int column)
{
    if (GetCountOrg() <= 0) return;
    int c = column;
    if (c > MaxChar() - 1) c = MaxChar() - 1;
    if (c < 0) c = 0;
    scHPos_.Push(c);
    MoveBar(hBar_, scHPos_.Pos());
    sel_.CaretToEnd();
    PlaceCaret();
    MapUpdate();
}

namespace {

// The new position for a scroll code; codes outside the nine leave it.
long long Step(int code, long long p, long long step, long long page, long long pos, long long min, long long max)
{
    switch (code) {
    case SB_LINEUP: return p - step;
    case SB_LINEDOWN: return p + step;
    case SB_PAGEUP: return p - page;
    case SB_PAGEDOWN: return p + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return pos;
    case SB_TOP: return min;
    case SB_BOTTOM: return max;
    default: return p;
    }
}

}  // namespace

void TBigView::DoVScroll(int code, int pos, uint32_t interval)
{
    if (!HasVBar()) return;
    const int min = 0, max = vRangeMax_;
    long long p = viewLineStart_;
    if (!(code == SB_THUMBPOSITION && pos == -1)) {
        ScrollSuccession(interval);
        p = Step(code, p, accel_.Step(), std::max(viewLines_, 1), pos, min, max);
    }
    if (p > max) p = max;
    if (p < 0) p = 0;
    if (p != scVPos_.Pos()) SetScVPos(int(p));
}

void TBigView::DoHScroll(int code, int pos, uint32_t interval)
{
    if (!HasHBar()) return;
    const int min = 0, max = hRangeMax_;
    long long p = scHPos_.Pos();
    const int page = std::max(ClientWidth() / charWidth_, 1);
    ScrollSuccession(interval);
    p = Step(code, p, accel_.Step(), page, pos, min, max);
    if (p > max) p = max;
    if (p < 0) p = 0;
    if (p != scHPos_.Pos()) SetScHPos(int(p));
}

void TBigView::WMVScroll(int code, int trackPos)
{
    const int n = ScrollLimit();
    if (n <= 0) {
        if (viewLineStart_ != 0) SetViewLineStart(0);
        return;
    }
    if (code < 0 || code > 8) return;
    DoVScroll(code, trackPos, 300);
    const int max = vRangeMax_;
    const int top = max > 0 ? int(std::nearbyint(double(scVPos_.Pos()) / max * n)) : 0;
    if (top != viewLineStart_) SetViewLineStart(top);
}

void TBigView::WMHScroll(int code, int trackPos)
{
    if (code < 0 || code > 8) return;
    DoHScroll(code, trackPos, 300);
}

void TBigView::ScrollSuccession(uint32_t interval)
{
    accel_.Succession(interval, scVPos_, scHPos_, viewLines_, ClientWidth() / charWidth_);
}
