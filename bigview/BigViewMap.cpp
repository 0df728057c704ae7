// The map operations of the view: the screen map's rows drawn, scrolled and inverted by the
// view's rules, and Paint, which copies the map to the window with the horizontal offset.
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <optional>

#include "bigview/Bigview.h"

namespace {

uint32_t Rgb32(TColor c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

int64_t TBigView::MapImageWidth() const { return TBvScreenMap::ImageWidth(MapWidth(), ClientWidth()); }

void TBigView::PlaceMapWindow() { map_.PlaceWindow(MapWidth(), ClientWidth(), int64_t(charWidth_) * ScHPos()); }

// Gives the image the map's size (or its window's), keeping the common pixels.
void TBigView::ResizeMap() { map_.Resize(int(MapImageWidth()), std::max(MapHeight(), 0), Rgb32(mapBrush_)); }

void TBigView::MapResize()
{
    CalcFontSize();
    const int oldViewLines = viewLines_;
    CalcViewLines();
    // A new width or font cuts the lines anew in the pixel fit.
    const bool derived = Rederive();
    CalcScrollRange();
    const int oldWidth = map_.Width();
    ResizeMap();
    // Rows drawn before a re-derivation, rows a taller window now shows and columns a wider map
    // now holds (a row with tabs may reach past the old map's edge) cannot be scrolled into
    // place: the top and last lines are set without drawing and the map is redrawn once.
    const bool redraw = derived || viewLines_ > oldViewLines || map_.Width() > oldWidth;
    {
        std::optional<TMapLock> lock;
        if (redraw) lock.emplace(*this);
        if (GetCount() > viewLines_) SetViewLineEnd(viewLineStart_ + viewLines_ - 1);
        else if (redraw) SetViewLineStart(viewLineStart_);  // the last line of a text that now fits
    }
    if (redraw) MapUpdate();
}

void TBigView::MapClear()
{
    mapBrush_ = color_;
    map_.Fill(Rgb32(mapBrush_));
    update();
}

void TBigView::Present()
{
    if (paintCount_ < pCanLimit_) {
        ++paintCount_;
        update();
        return;
    }
    if (presentSuppressed_ || inPaint_) return;  // the paint in progress copies the new map
    repaint(ClientRect());
    paintCount_ = 0;  // also when the window is not shown and so paints nothing
}

TBvScreenMap::RowStyle TBigView::RowStyle() const
{
    TBvScreenMap::RowStyle s;
    s.font = font_.get();
    s.encoding = lines_.Encoding();
    s.tabDistance = int64_t(charWidth_) * ViewTabStop();
    s.fg = ToQColor(fontColor_);
    s.bg = ToQColor(color_);
    s.markPixel = Rgb32(crColor_);
    s.charWidth = charWidth_;
    s.lineHeight = lineHeight_;
    s.leftMargin = LeftMargin;
    return s;
}

void TBigView::DrawRow(QPainter& p, int line, int logicalY, const TBvScreenMap::RowStyle& style)
{
    map_.DrawRow(p, logicalY, Get(line), crMark_ && CrCheck(line), style);
    if (marks_) MarkRow(line, logicalY);
}

void TBigView::MapUpdate()
{
    if (MapFrozen()) return;
    PlaceMapWindow();
    ResizeMap();
    MapClear();
    const TBvScreenMap::RowStyle style = RowStyle();
    map_.Paint([&](QPainter& p) {
        for (int i = viewLineStart_; i < viewLineStart_ + viewLines_ && i < GetCount(); ++i)
            DrawRow(p, i, (i - viewLineStart_) * lineHeight_, style);
    });
    MapSelRev(sel_.Start(), sel_.End());
    map_.NoteShown(sel_.Start(), sel_.End());
    Present();
}

void TBigView::MapScrollDown(int n)
{
    if (MapFrozen()) return;
    if (n > viewLines_) {
        MapUpdate();
        return;
    }
    mapBrush_ = color_;
    map_.ScrollRows(n * lineHeight_, false, Rgb32(color_));
    const TBvScreenMap::RowStyle style = RowStyle();
    const int end = std::min(viewLineStart_ + n, GetCount());
    map_.Paint([&](QPainter& p) {
        for (int i = viewLineStart_; i < end; ++i) DrawRow(p, i, (i - viewLineStart_) * lineHeight_, style);
    });
    for (int i = viewLineStart_; i < end; ++i) MapSelRevScroll(i);
    map_.NoteScrolled(sel_.Start(), sel_.End());
    Present();
}

void TBigView::MapScrollUp(int n)
{
    if (MapFrozen()) return;
    if (n > viewLines_) {
        MapUpdate();
        return;
    }
    const int d = n * lineHeight_;
    const int h = MapHeight();
    mapBrush_ = color_;
    map_.ScrollRows(d, true, Rgb32(color_));
    const int first = viewLineStart_ + viewLines_ - n;
    if (first >= 0 && first <= viewLineEnd_) {
        const TBvScreenMap::RowStyle style = RowStyle();
        const int end = std::min(first + n - 1, viewLineEnd_);
        map_.Paint([&](QPainter& p) {
            for (int i = first; i <= end; ++i) DrawRow(p, i, (h - d) + (i - first) * lineHeight_, style);
        });
        for (int i = first; i <= end; ++i) MapSelRevScroll(i);
    }
    map_.NoteScrolled(sel_.Start(), sel_.End());
    Present();
}

void TBigView::MapSelRev(const TPoint& a, const TPoint& b)
{
    TDispPos s(a), e(b);
    if (s == e || GetCount() <= 0) return;
    Order(s, e);
    if (s.Y > viewLineEnd_ || e.Y < viewLineStart_) return;
    if (s.Y < viewLineStart_) s = {1, viewLineStart_};
    if (e.Y > viewLineEnd_) e = {int(Get(viewLineEnd_).size()) + 1, viewLineEnd_};
    if (s.X < 1) s.X = 1;
    if (e.X < 1) e.X = 1;
    while (s.Y <= e.Y) {
        const TBvText line = Get(s.Y);
        if (int64_t(line.size()) >= s.X) {
            const int top = (s.Y - viewLineStart_) * lineHeight_;
            const int64_t left = LeftMargin + TabbedTextWidth(line.data(), size_t(s.X - 1));
            const size_t upto = s.Y == e.Y ? std::min(line.size(), size_t(e.X - 1)) : line.size();
            const int64_t right = LeftMargin + TabbedTextWidth(line.data(), upto);
            map_.Invert(left, top, right, top + lineHeight_);
        }
        s = {1, s.Y + 1};
    }
}

void TBigView::MapSelRevScroll(int line)
{
    TDispPos s = sel_.Start(), e = sel_.End();
    Order(s, e);
    if (line < s.Y || line > e.Y || s == e) return;
    const int len = int(Get(line).size());
    if (s.Y == e.Y) MapSelRev(s, e);
    else if (line == s.Y) MapSelRev(s, TDispPos{len + 1, line});
    else if (line == e.Y) MapSelRev(TDispPos{1, line}, e);
    else MapSelRev(TDispPos{1, line}, TDispPos{len + 1, line});
}

void TBigView::Paint(const QRect& clipIn)
{
    ++paintCalls_;
    QPainter p(this);
    const QRect client = ClientRect();
    const QRect clip = clipIn.intersected(QRect(0, 0, client.width(), client.height()));
    p.translate(client.topLeft());
    p.setClipRect(clip);
    const QColor bg = ToQColor(color_);
    if (viewLines_ == 0) {
        // A window lower than one row has no map: only the background, once per paint.
        p.fillRect(clip, bg);
        paintCount_ = 0;
        return;
    }
    if (mapBrush_ != color_) {
        // Color was changed: rebuild the map in the new colour before copying it.
        mapBrush_ = color_;
        presentSuppressed_ = true;
        MapUpdate();
        presentSuppressed_ = false;
    }
    const int64_t srcLeft = clip.left() + int64_t(charWidth_) * ScHPos();
    if (!map_.Covers(srcLeft, srcLeft + clip.width()) && MapWidth() > map_.Width() && !MapFrozen()) {
        presentSuppressed_ = true;
        MapUpdate();  // the view left the kept window of a very wide map
        presentSuppressed_ = false;
    }
    map_.CopyTo(p, clip, srcLeft, height(), bg);
    if (caretObj_.Visible() && caretObj_.BlinkOn()) {
        const QRect c(caretObj_.Pos(), caretObj_.Size());
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(c, Qt::white);
    }
    paintCount_ = 0;
}

void TBigView::paintEvent(QPaintEvent* e)
{
    inPaint_ = true;
    const QRect client = ClientRect();
    if (!client.contains(e->rect())) {
        QPainter p(this);
        QRect inner = client;
        if (HasVBar()) inner.setRight(vBar_->geometry().right());
        if (HasHBar()) inner.setBottom(hBar_->geometry().bottom());
        frame_.Draw(p, rect(), inner, palette());
    }
    const QRect clip = e->rect().intersected(client).translated(-client.topLeft());
    if (!clip.isEmpty()) Paint(clip);
    inPaint_ = false;
}

QImage TBigView::Grab() { return grab().toImage(); }
