// The selection setters and the caret.
#include "bigview/Bigview.h"

void TBigView::SetSelStart(const TPoint& p) { sel_.SetStart(TDispPos(p)); }

void TBigView::SetSelEnd(const TPoint& p)
{
    sel_.SetEnd(TDispPos(p));
    PlaceCaret();
}

void TBigView::SetCaretPosition(const TPoint& p)
{
    sel_.SetCaret(TDispPos(p));
    PlaceCaret();
}

void TBigView::PlaceCaret()
{
    const TDispPos caret = sel_.Caret();
    const int x = caret.X < 1 ? 1 : caret.X;
    // Far from the view the caret is off the window; in 64 bits, lest the row overflow.
    const int64_t y = int64_t(caret.Y - int64_t(viewLineStart_)) * lineHeight_;
    int64_t w = 0;
    if (caret.Y >= 0 && caret.Y < GetCount()) {
        const TBvText line = Get(caret.Y);
        w = TabbedTextWidth(line.data(), std::min(line.size(), size_t(x - 1)));
    }
    const int64_t px = w + LeftMargin - int64_t(charWidth_) * ScHPos();
    auto onScreen = [](int64_t v) {
        return int(std::max<int64_t>(INT32_MIN / 2, std::min<int64_t>(v, INT32_MAX / 2)));
    };
    caretObj_.SetPos(onScreen(px), onScreen(y));
    if (caretObj_.Visible()) update();
}

void TBigView::SetCaret(bool on)
{
    caret_ = on;
    if (on) {
        for (int i = 0; i < 101; ++i)
            if (caretObj_.Show()) break;
    } else if (!caretObj_.Hide()) {
        caretObj_.Show();
    }
    update();
}

// ---- Qt pointer events, in the order the handlers rely on ----
// A press: MouseDown. A release inside the client area: Click, then MouseUp. The second press
// of a double click arrives as its own event: DblClick, then MouseDown (which sees a double click).
// Presses on the frame move or size the control by hand.

#include <QMouseEvent>

namespace {

QPoint ClientPos(const TBigView* v, const QPointF& widgetPos)
{
    return widgetPos.toPoint() - v->ClientRect().topLeft();
}

}  // namespace

void TBigView::mousePressEvent(QMouseEvent* e)
{
    const int ht = WMNCHitTest(e->position().toPoint(), e->modifiers());
    if (ht != HTCLIENT) {
        // The frame: focus first, then the move or the resize starts.
        setFocus(Qt::MouseFocusReason);
        if (e->button() == Qt::LeftButton && ht != HTNOWHERE)
            frame_.BeginDrag(ht, e->globalPosition().toPoint(), geometry());
        return;
    }
    const QPoint c = ClientPos(this, e->position());
    MouseDown(e->button(), e->modifiers(), c.x(), c.y());
}

void TBigView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (WMNCHitTest(e->position().toPoint(), e->modifiers()) != HTCLIENT) return;
    if (e->button() == Qt::LeftButton) DblClick();
    const QPoint c = ClientPos(this, e->position());
    MouseDown(e->button(), e->modifiers(), c.x(), c.y());
}

void TBigView::mouseReleaseEvent(QMouseEvent* e)
{
    if (frame_.Dragging()) {
        frame_.EndDrag();
        return;
    }
    const QPoint c = ClientPos(this, e->position());
    if (e->button() == Qt::LeftButton && QRect(0, 0, ClientWidth(), ClientHeight()).contains(c)) Click();
    const bool dragging = sel_.Dragging();
    MouseUp(e->button(), e->modifiers(), c.x(), c.y());
    if (dragging && !sel_.Dragging()) OfferPrimarySelection();
}

void TBigView::mouseMoveEvent(QMouseEvent* e)
{
    if (frame_.Dragging()) {
        QSize minT, maxT;
        WMGetMinMaxInfo(minT, maxT);
        const QRect g = frame_.DragTo(e->globalPosition().toPoint(), minT, maxT);
        if (!g.isEmpty()) setGeometry(g);
        return;
    }
    const QPoint c = ClientPos(this, e->position());
    MouseMove(e->modifiers(), c.x(), c.y());
}

bool TBigView::event(QEvent* e)
{
    // The plain arrow keys belong to the view's key handlers, not to focus navigation or a
    // shortcut; with a modifier they stay free for the menus.
    if (e->type() == QEvent::ShortcutOverride) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const int vk = k->key() >= Qt::Key_Left && k->key() <= Qt::Key_Down ? 0x25 + (k->key() - Qt::Key_Left) : 0;
        if ((k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && CMWantSpecialKey(vk)) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}
