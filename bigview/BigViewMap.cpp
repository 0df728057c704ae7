// The screen map: an off-screen image of the rows on view, scrolled by turning its rows, and
// copied to the window by Paint with the horizontal offset applied.
//
// The map is (MaxChar + 1) columns wide. A line of megabytes shown unwrapped would make that
// wider than any bitmap, so beyond kFullMapWidth only a window of the map around the view is
// kept (MapOrigin is the map x of its first pixel column) and moved when the view leaves it.
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <cmath>
#include <cstring>

#include "bigview/Bigview.h"

namespace {

constexpr int64_t kFullMapWidth = 8192;
constexpr int kWindowSlack = 1024;

int Nearest(double v) { return int(std::nearbyint(v)); }

uint32_t Rgb32(TColor c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// One-pixel line from (x0, y0) up to, not including, (x1, y1).
void PenLine(QImage& img, int x0, int y0, int x1, int y1, uint32_t px)
{
    const int dx = x1 - x0, dy = y1 - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int t = 0; t < steps; ++t) {
        // Symmetric rounding keeps mirrored strokes mirror images.
        const int x = x0 + int(std::lround(double(dx) * t / steps));
        const int y = y0 + int(std::lround(double(dy) * t / steps));
        if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
            reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = px;
    }
}

}  // namespace

int64_t TBigView::MapImageWidth() const
{
    const int64_t full = MapWidth();
    return full <= kFullMapWidth ? full : std::min<int64_t>(full, ClientWidth() + 2 * kWindowSlack);
}

void TBigView::PlaceMapWindow()
{
    const int64_t origin = int64_t(charWidth_) * ScHPos() - kWindowSlack;
    mapOrigin_ = std::max<int64_t>(0, std::min(origin, MapWidth() - MapImageWidth()));
}

bool TBigView::MapCovers(int64_t left, int64_t right) const
{
    return left >= mapOrigin_ && right <= mapOrigin_ + map_.width();
}

void TBigView::Linearize() const
{
    if (mapRot_ == 0) return;
    QImage next(map_.width(), map_.height(), QImage::Format_RGB32);
    const size_t bytes = size_t(map_.width()) * 4;
    for (int y = 0; y < map_.height(); ++y) std::memcpy(next.scanLine(y), map_.constScanLine(MapRow(y)), bytes);
    map_ = std::move(next);
    mapRot_ = 0;
}

// Gives the image the map's size (or its window's), keeping the common pixels.
void TBigView::ResizeMap()
{
    Linearize();
    const int w = int(MapImageWidth());
    const int h = std::max(MapHeight(), 0);
    if (map_.width() == w && map_.height() == h) return;
    QImage next(w, h, QImage::Format_RGB32);
    next.fill(Rgb32(mapBrush_));
    if (!map_.isNull() && w > 0 && h > 0) {
        const int cw = std::min(w, map_.width()), ch = std::min(h, map_.height());
        for (int y = 0; y < ch; ++y) std::memcpy(next.scanLine(y), map_.constScanLine(y), size_t(cw) * 4);
    }
    map_ = std::move(next);
}

void TBigView::MapResize()
{
    CalcFontSize();
    CalcViewLines();

    bool derived = false;
    int org = -1;
    TPoint keptStart, keptEnd;
    if (WordWrap() && WrapByte() == 0) {
        org = ConvertIndexToOrg(viewLineStart_);
        if (org >= 0) {
            keptStart = ConvertLocateToOrg(selStart_);
            keptEnd = ConvertLocateToOrg(selEnd_);
            CalcBvLines(0);
            derived = true;
        }
    }
    CalcScrollRange();
    ResizeMap();
    if (derived) {
        SetSelStart(ConvertLocateFromOrg(keptStart));
        SetSelEnd(ConvertLocateFromOrg(keptEnd));
        SetViewLineStart(ConvertIndexFromOrg(org));
    }
    if (GetCount() > viewLines_) SetViewLineEnd(viewLineStart_ + viewLines_ - 1);
}

void TBigView::MapClear()
{
    mapBrush_ = color_;
    map_.fill(Rgb32(mapBrush_));
    mapRot_ = 0;
    shownSelKnown_ = false;
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

void TBigView::DrawRow(QPainter& p, int line, int logicalY)
{
    ++rowsRendered_;
    const int y = MapRow(logicalY);
    const TBvText text = Get(line);
    const int tabDistance = charWidth_ * ViewTabStop();
    const int64_t x0 = LeftMargin - mapOrigin_;
    int64_t w;
    if (mapOrigin_ > 0 && x0 + TabbedTextWidth(text) < 0) {
        w = TabbedTextWidth(text);  // wholly left of the kept window of a very wide map
    } else {
        w = font_->DrawText(p, int(x0), y, text.data(), text.size(), tabDistance, ToQColor(fontColor_),
                            ToQColor(color_));
    }
    if (crMark_ && CrCheck(line)) {
        const int half = Nearest(charWidth_ / 2.0);
        const int rise = Nearest((lineHeight_ - 2) / 4.0);
        const int64_t xm = w + LeftMargin + half - mapOrigin_;
        if (xm < -charWidth_ || xm > map_.width() + charWidth_) return;
        const int x = int(xm), bottom = y + lineHeight_ - 2;
        const uint32_t px = Rgb32(crColor_);
        PenLine(map_, x, bottom, x, y, px);
        PenLine(map_, x, bottom, x - (half - 2), bottom - rise, px);
        PenLine(map_, x, bottom, x + half - 2, bottom - rise, px);
    }
}

void TBigView::MapUpdate()
{
    if (mapLock_) return;
    PlaceMapWindow();
    ResizeMap();
    MapClear();
    {
        QPainter p(&map_);
        p.setClipRect(map_.rect());
        for (int i = viewLineStart_; i < viewLineStart_ + viewLines_ && i < GetCount(); ++i)
            DrawRow(p, i, (i - viewLineStart_) * lineHeight_);
    }
    MapSelRev(selStart_, selEnd_);
    NoteShownSelection(true);
    Present();
}

// The selection the map's pixels show, while it is known, lets a drag pass invert only what
// changed. A full update shows the current selection; a scroll draws its new rows with the
// current one, so the map stays known only if that is the one it showed.
void TBigView::NoteShownSelection(bool redrawn)
{
    if (redrawn) {
        shownSelStart_ = selStart_;
        shownSelEnd_ = selEnd_;
        shownSelKnown_ = true;
    } else if (shownSelStart_ != selStart_ || shownSelEnd_ != selEnd_) {
        shownSelKnown_ = false;
    }
}

// Moves the rows between the margins by d pixel rows, up or down, and fills the rows that
// came free. The rows are turned, not copied; the columns outside the margins do not scroll,
// so they are put back where they were.
void TBigView::ScrollMapPixels(int d, bool up)
{
    const int64_t full = MapWidth();
    const int w = map_.width(), h = map_.height();
    const int left = int(std::max<int64_t>(0, LeftMargin - mapOrigin_));
    const int right = int(std::min<int64_t>(w, full - LeftMargin - mapOrigin_));
    if (right <= left || h == 0) return;
    const uint32_t bg = Rgb32(color_);
    auto fill = [&](int y) {
        auto* row = reinterpret_cast<uint32_t*>(map_.scanLine(MapRow(y)));
        std::fill(row + left, row + right, bg);
    };
    if (d >= h) {
        for (int y = 0; y < h; ++y) fill(y);
        return;
    }
    const int edge = left + (w - right);
    std::vector<uint32_t> strips(size_t(h) * size_t(edge));
    auto strip = [&](int y, bool save) {
        auto* row = reinterpret_cast<uint32_t*>(map_.scanLine(MapRow(y)));
        uint32_t* kept = strips.data() + size_t(y) * size_t(edge);
        if (save) {
            std::copy(row, row + left, kept);
            std::copy(row + right, row + w, kept + left);
        } else {
            std::copy(kept, kept + left, row);
            std::copy(kept + left, kept + edge, row + right);
        }
    };
    if (edge > 0)
        for (int y = 0; y < h; ++y) strip(y, true);
    mapRot_ = up ? (mapRot_ + d) % h : (mapRot_ - d % h + h) % h;
    if (edge > 0)
        for (int y = 0; y < h; ++y) strip(y, false);
    for (int y = up ? h - d : 0; y < (up ? h : d); ++y) fill(y);
}

void TBigView::MapScrollDown(int n)
{
    if (mapLock_) return;
    if (n > viewLines_) {
        MapUpdate();
        return;
    }
    const int d = n * lineHeight_;
    mapBrush_ = color_;
    ScrollMapPixels(d, false);
    {
        QPainter p(&map_);
        p.setClipRect(map_.rect());
        for (int i = viewLineStart_; i < viewLineStart_ + n && i < GetCount(); ++i)
            DrawRow(p, i, (i - viewLineStart_) * lineHeight_);
    }
    for (int i = viewLineStart_; i < viewLineStart_ + n && i < GetCount(); ++i) MapSelRevScroll(i);
    NoteShownSelection(false);
    Present();
}

void TBigView::MapScrollUp(int n)
{
    if (mapLock_) return;
    if (n > viewLines_) {
        MapUpdate();
        return;
    }
    const int d = n * lineHeight_;
    const int h = MapHeight();
    mapBrush_ = color_;
    ScrollMapPixels(d, true);
    const int first = viewLineStart_ + viewLines_ - n;
    if (first >= 0 && first <= viewLineEnd_) {
        {
            QPainter p(&map_);
            p.setClipRect(map_.rect());
            for (int i = first; i < first + n && i <= viewLineEnd_; ++i) DrawRow(p, i, (h - d) + (i - first) * lineHeight_);
        }
        for (int i = first; i < first + n && i <= viewLineEnd_; ++i) MapSelRevScroll(i);
    }
    NoteShownSelection(false);
    Present();
}

// Inverts map pixels in [left, right) x [top, bottom), left and right in map x.
void TBigView::InvertRect(int64_t left, int top, int64_t right, int bottom)
{
    const int l = int(std::max<int64_t>(0, left - mapOrigin_));
    const int r = int(std::min<int64_t>(map_.width(), right - mapOrigin_));
    const int t = std::max(0, top), b = std::min(map_.height(), bottom);
    for (int y = t; y < b; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(map_.scanLine(MapRow(y)));
        for (int x = l; x < r; ++x) row[x] ^= 0x00FFFFFFu;
    }
}

void TBigView::MapSelRev(const TPoint& a, const TPoint& b)
{
    TPoint s = a, e = b;
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
            InvertRect(left, top, right, top + lineHeight_);
        }
        s = {1, s.Y + 1};
    }
}

void TBigView::MapSelRevScroll(int line)
{
    TPoint s = selStart_, e = selEnd_;
    Order(s, e);
    if (line < s.Y || line > e.Y || s == e) return;
    const int len = int(Get(line).size());
    if (s.Y == e.Y) MapSelRev(s, e);
    else if (line == s.Y) MapSelRev(s, {len + 1, line});
    else if (line == e.Y) MapSelRev({1, line}, e);
    else MapSelRev({1, line}, {len + 1, line});
}

void TBigView::Paint(const QRect& clipIn)
{
    ++paintCalls_;
    if (mapBrush_ != color_) {
        // Color was changed: rebuild the map in the new colour before copying it.
        mapBrush_ = color_;
        presentSuppressed_ = true;
        MapUpdate();
        presentSuppressed_ = false;
    }
    QPainter p(this);
    const QRect client = ClientRect();
    const QRect clip = clipIn.intersected(QRect(0, 0, client.width(), client.height()));
    const int64_t shift = int64_t(charWidth_) * ScHPos();
    int64_t srcLeft = clip.left() + shift;
    if (!MapCovers(srcLeft, srcLeft + clip.width()) && MapWidth() > map_.width() && !mapLock_) {
        presentSuppressed_ = true;
        MapUpdate();  // the view left the kept window of a very wide map
        presentSuppressed_ = false;
    }
    p.translate(client.topLeft());
    p.setClipRect(clip);
    const QColor bg = ToQColor(color_);
    const int H = map_.height();
    // Copy the map part on view; what lies beyond the map's pixels gets the background.
    const int64_t imgLeft = srcLeft - mapOrigin_;
    const int64_t imgRight = imgLeft + clip.width();
    const int64_t a = std::max<int64_t>(imgLeft, 0), b = std::min<int64_t>(imgRight, map_.width());
    const int end = std::min(H, clip.bottom() + 1);  // the clip's rows that the map holds
    if (a > imgLeft) p.fillRect(QRect(clip.left(), clip.top(), int(a - imgLeft), end - clip.top()), bg);
    if (b > a && end > clip.top()) {
        // The rows on view, in at most two runs of the turned map.
        const int x = int(clip.left() + (a - imgLeft));
        int y = clip.top();
        while (y < end) {
            const int py = MapRow(y);
            const int run = std::min(end - y, H - py);
            p.drawImage(QPoint(x, y), map_, QRect(int(a), py, int(b - a), run));
            y += run;
        }
    }
    if (imgRight > b) {
        const int x = int(clip.left() + std::max<int64_t>(0, b - imgLeft));
        p.fillRect(QRect(x, clip.top(), clip.right() + 1 - x, end - clip.top()), bg);
    }
    if (clip.bottom() >= H) p.fillRect(QRect(clip.left(), H, clip.width(), height() - H), bg);
    if (caretObj_.Visible() && caretBlinkOn_) {
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
        DrawFrame(p);
    }
    const QRect clip = e->rect().intersected(client).translated(-client.topLeft());
    if (!clip.isEmpty()) Paint(clip);
    inPaint_ = false;
}

QImage TBigView::Grab() { return grab().toImage(); }
