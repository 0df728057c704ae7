// Pointing: pixels to display positions, the drag selection with its scrolling passes, the
// word selection of a double click, the popup menu.
#include <QCoreApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <optional>

#include "bigview/Bigview.h"

namespace {

// The hit-test shared by LocateOf and ByteLocateOf; byteExact makes every byte a candidate.
TPoint Locate(const TBigView& v, int px, int py, bool byteExact)
{
    const int count = v.GetCount();
    if (count <= 0) return {0, 0};
    int side = 0;
    int64_t y = py;
    if (y > v.MapHeight()) y = v.MapHeight();
    if (y < 0) {
        y = 0;
        side = -1;
    }
    int64_t e = int64_t(px) + int64_t(v.CharWidth()) * v.ScHPos() - TBigView::LeftMargin;
    if (e > v.MapWidth()) e = v.MapWidth();
    if (e < 0) e = 0;
    int64_t row = y / std::max(1, v.LineHeight()) + v.ViewLineStart();
    if (row >= count) {
        row = count - 1;
        side = 1;
    }
    if (row < 0) return {0, 0};

    const TBvText line = v.Get(int(row));
    const int len = int(line.size());
    int x;
    if (side == 1) {
        x = len + 1;
    } else if (side == -1) {
        x = 1;
    } else {
        // Only the first byte of a character is a column, unless byteExact.
        x = v.DisplayLines().RowMap().Column(line.data(), len, e, byteExact);
        if (x == 0) x = len + 1;
    }
    return {x, int(row)};
}

}  // namespace

TPoint TBigView::LocateOf(int x, int y) const { return Locate(*this, x, y, false); }

TPoint TBigView::ByteLocateOf(int x, int y) const { return Locate(*this, x, y, true); }

bool TBigView::SetViewPos(const TPoint& p)
{
    if (p.Y < 0 || p.Y >= GetCount()) return false;  // not a display line: nothing to show
    bool changed = false;
    std::optional<TMapLock> lock(std::in_place, *this);
    const int clipLeft = 0;  // the view draws its whole client area
    const int64_t left = clipLeft + int64_t(charWidth_) * ScHPos();
    const int width = ClientWidth();
    const TBvText line = Get(p.Y);
    const size_t n = p.X > 1 ? std::min(line.size(), size_t(p.X - 1)) : 0;
    const int64_t w = TabbedTextWidth(line.data(), n);
    auto toColumn = [](int64_t c) { return int(std::clamp<int64_t>(c, INT32_MIN, INT32_MAX)); };
    if (p.Y < viewLineStart_) {
        SetViewLineStart(p.Y);
        changed = true;
    }
    if (p.Y > viewLineEnd_) {
        SetViewLineEnd(p.Y);
        changed = true;
    }
    if (w < left) {
        SetScHPos(toColumn(w / charWidth_ - clipLeft));
        changed = true;
    }
    if (w > left + width) {
        SetScHPos(toColumn((w - width) / charWidth_ - clipLeft));
        SetScHPos(ScHPos() + 1);
        changed = true;
    }
    lock.reset();
    if (changed) MapUpdate();
    return changed;
}

void TBigView::SelOfDblClk(int x, int y)
{
    if (!sel_.SelectWord(ByteLocateOf(x, y))) return;
    PlaceCaret();
    MapUpdate();
}

// Inverting twice restores a pixel, so inverting the span between the old and the new end turns
// the map's old selection into the new one, exactly as a redraw would show it: a drag pass then
// costs the rows it changes, not the whole map.
void TBigView::MoveSelEnd(TDispPos p)
{
    const TDispPos oldEnd = sel_.End();
    const bool known = map_.Shows(sel_.Start(), oldEnd) && !MapFrozen();
    SetSelEnd(p);
    if (!known) {
        MapUpdate();
        return;
    }
    if (sel_.End() != oldEnd) {
        MapSelRev(oldEnd, sel_.End());
        Present();
    }
    map_.NoteShown(sel_.Start(), sel_.End());
}

void TBigView::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    switch (sel_.Press(button == Qt::LeftButton)) {
    case TPressAction::Anchor:
        sel_.Anchor(TDispPos(LocateOf(x, y)));
        PlaceCaret();
        MapUpdate();
        break;
    case TPressAction::Word: SelOfDblClk(x, y); break;
    case TPressAction::None:
        if (button == Qt::RightButton && popupMenu_)
            popupMenu_->popup(mapToGlobal(ClientRect().topLeft() + QPoint(x, y)));
        break;
    }
}

void TBigView::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (sel_.Dragging()) {
        EndDrag();
        const TDispPos p(LocateOf(x, y));
        if (p.X == 0) return;
        MoveSelEnd(p);
    }
    setFocus(Qt::MouseFocusReason);
}

void TBigView::MouseMove(Qt::KeyboardModifiers, int x, int y)
{
    if (sel_.DragTo(x, y)) CMDoMouseMove();
}

void TBigView::Click()
{
    setFocus(Qt::MouseFocusReason);
    sel_.Click();
}

void TBigView::DblClick() { sel_.DoubleClick(); }

// The passes of a drag: each scrolls at most one line (and one horizontal step) while the
// pointer is outside, pulls SelEnd along, and lets pending events in, so that a release, a key
// release or a new pointer position ends or steers the drag. The moves that arrive during a
// pass only leave their position in DragX and DragY for the next pass. A pass that scrolled
// waits for the next screen frame, letting events in meanwhile: back to back, the passes would
// scroll too fast to stop at a line, none of them would be seen, and they would hold a core.
void TBigView::CMDoMouseMove()
{
    if (inDragLoop_) return;
    inDragLoop_ = true;
    QPointer<TBigView> alive(this);
    while (sel_.Dragging()) {
        const TBvSelection::TDragScroll scroll =
            sel_.DragScroll(ClientWidth(), ClientHeight(), viewLineEnd_ >= GetCount() - 1);
        if (scroll.lines != 0) SetViewLineStart(viewLineStart_ + scroll.lines);
        if (scroll.columns != 0) DoHScroll(scroll.columns < 0 ? SB_LINEUP : SB_LINEDOWN, ScHPos(), 200);
        const TDispPos p(LocateOf(sel_.DragX(), sel_.DragY()));
        if (p.X == 0) break;
        MoveSelEnd(p);
        if (!scroll.Any()) break;
        WaitForNextFrame();
        if (!alive) return;  // the view went away while events ran
    }
    inDragLoop_ = false;
}

void TBigView::WaitForNextFrame()
{
    const QScreen* screen = this->screen();
    const double hz = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60.0;
    QEventLoop loop;
    QTimer::singleShot(std::max(1, int(1000.0 / hz)), &loop, &QEventLoop::quit);
    frameWait_ = &loop;
    loop.exec();
    frameWait_ = nullptr;
}

void TBigView::EndDrag()
{
    sel_.EndDrag();
    if (frameWait_) frameWait_->quit();  // nothing more to wait for
}

bool TBigView::CMWantSpecialKey(int vk) const { return vk >= 0x25 && vk <= 0x28; }
