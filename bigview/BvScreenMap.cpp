#include "bigview/BvScreenMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bigview/ViewFont.h"

namespace {

int Nearest(double v) { return int(std::nearbyint(v)); }  // ties go to the even neighbour

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

int64_t TBvScreenMap::ImageWidth(int64_t fullWidth, int clientWidth)
{
    return fullWidth <= kFullMapWidth ? fullWidth : std::min<int64_t>(fullWidth, clientWidth + 2 * kWindowSlack);
}

void TBvScreenMap::PlaceWindow(int64_t fullWidth, int clientWidth, int64_t scrollX)
{
    const int64_t origin = scrollX - kWindowSlack;
    origin_ = std::max<int64_t>(0, std::min(origin, fullWidth - ImageWidth(fullWidth, clientWidth)));
}

void TBvScreenMap::Linearize() const
{
    if (rot_ == 0) return;
    QImage next(image_.width(), image_.height(), QImage::Format_RGB32);
    const size_t bytes = size_t(image_.width()) * 4;
    for (int y = 0; y < image_.height(); ++y) std::memcpy(next.scanLine(y), image_.constScanLine(Row(y)), bytes);
    image_ = std::move(next);
    rot_ = 0;
}

void TBvScreenMap::Resize(int w, int h, uint32_t fill)
{
    Linearize();
    if (image_.width() == w && image_.height() == h) return;
    QImage next(w, h, QImage::Format_RGB32);
    next.fill(fill);
    if (!image_.isNull() && !next.isNull()) {
        const int cw = std::min(w, image_.width()), ch = std::min(h, image_.height());
        for (int y = 0; y < ch; ++y) std::memcpy(next.scanLine(y), image_.constScanLine(y), size_t(cw) * 4);
    }
    image_ = std::move(next);
}

void TBvScreenMap::Fill(uint32_t pixel)
{
    image_.fill(pixel);
    rot_ = 0;
    shownKnown_ = false;
}

void TBvScreenMap::ScrollRows(int d, bool up, uint32_t bg)
{
    const int h = image_.height();
    if (h == 0) return;
    auto fill = [&](int y) {
        auto* row = reinterpret_cast<uint32_t*>(image_.scanLine(Row(y)));
        std::fill(row, row + image_.width(), bg);
    };
    if (d >= h) {
        for (int y = 0; y < h; ++y) fill(y);
        return;
    }
    rot_ = up ? (rot_ + d) % h : (rot_ - d % h + h) % h;
    for (int y = up ? h - d : 0; y < (up ? h : d); ++y) fill(y);
}

int64_t TBvScreenMap::DrawRow(QPainter& p, int logicalY, const TBvText& text, bool mark, const RowStyle& s)
{
    ++rowsRendered_;
    const int y = Row(logicalY);
    const int64_t x0 = s.leftMargin - origin_;
    int64_t w = -1;
    // A row wholly left of the kept window of a very wide map draws nothing.
    if (origin_ > 0) w = s.font->TabbedTextWidth(s.encoding, text.data(), text.size(), s.tabDistance);
    if (w < 0 || x0 + w >= 0)
        w = s.font->DrawText(p, int(x0), y, s.encoding, text.data(), text.size(), s.tabDistance, s.fg, s.bg);
    if (mark) {
        // A small arrow pointing down, half a column right of the text's end.
        const int half = Nearest(s.charWidth / 2.0);
        const int rise = Nearest((s.lineHeight - 2) / 4.0);
        const int64_t xm = w + s.leftMargin + half - origin_;
        if (xm < -s.charWidth || xm > image_.width() + s.charWidth) return w;
        const int x = int(xm), bottom = y + s.lineHeight - 2;
        PenLine(image_, x, bottom, x, y, s.markPixel);
        PenLine(image_, x, bottom, x - (half - 2), bottom - rise, s.markPixel);
        PenLine(image_, x, bottom, x + half - 2, bottom - rise, s.markPixel);
    }
    return w;
}

void TBvScreenMap::Invert(int64_t left, int top, int64_t right, int bottom)
{
    const int l = int(std::max<int64_t>(0, left - origin_));
    const int r = int(std::min<int64_t>(image_.width(), right - origin_));
    const int t = std::max(0, top), b = std::min(image_.height(), bottom);
    for (int y = t; y < b; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image_.scanLine(Row(y)));
        for (int x = l; x < r; ++x) row[x] ^= 0x00FFFFFFu;
    }
}

void TBvScreenMap::Tint(int64_t left, int top, int64_t right, int bottom, uint32_t fg, uint32_t bg, uint32_t mark)
{
    const int l = int(std::max<int64_t>(0, left - origin_));
    const int r = int(std::min<int64_t>(image_.width(), right - origin_));
    const int t = std::max(0, top), b = std::min(image_.height(), bottom);
    auto ch = [](uint32_t px, int shift) { return int((px >> shift) & 0xFF); };
    // The channel where fg and bg differ most tells how much of fg a pixel holds.
    int shift = 0, span = 0;
    for (const int s : {0, 8, 16})
        if (std::abs(ch(fg, s) - ch(bg, s)) > std::abs(span)) {
            shift = s;
            span = ch(fg, s) - ch(bg, s);
        }
    for (int y = t; y < b; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image_.scanLine(Row(y)));
        for (int x = l; x < r; ++x) {
            const uint32_t px = row[x];
            if (span == 0) {
                if (px == bg) row[x] = mark;
                continue;
            }
            const int a = std::clamp((ch(px, shift) - ch(bg, shift)) * 256 / span, 0, 256);  // 0: bg, 256: fg
            uint32_t out = 0xFF000000u;
            for (const int s : {0, 8, 16}) out |= uint32_t(ch(mark, s) + (ch(fg, s) - ch(mark, s)) * a / 256) << s;
            row[x] = out;
        }
    }
}

void TBvScreenMap::CopyTo(QPainter& p, const QRect& clip, int64_t srcLeft, int windowHeight, const QColor& bg) const
{
    const int H = image_.height();
    const int64_t imgLeft = srcLeft - origin_;
    const int64_t imgRight = imgLeft + clip.width();
    const int64_t a = std::max<int64_t>(imgLeft, 0), b = std::min<int64_t>(imgRight, image_.width());
    const int end = std::min(H, clip.bottom() + 1);  // the clip's rows that the map holds
    if (a > imgLeft) p.fillRect(QRect(clip.left(), clip.top(), int(a - imgLeft), end - clip.top()), bg);
    if (b > a && end > clip.top()) {
        // The rows on view, in at most two runs of the turned image.
        const int x = int(clip.left() + (a - imgLeft));
        int y = clip.top();
        while (y < end) {
            const int py = Row(y);
            const int run = std::min(end - y, H - py);
            p.drawImage(QPoint(x, y), image_, QRect(int(a), py, int(b - a), run));
            y += run;
        }
    }
    if (imgRight > b) {
        const int x = int(clip.left() + std::max<int64_t>(0, b - imgLeft));
        p.fillRect(QRect(x, clip.top(), clip.right() + 1 - x, end - clip.top()), bg);
    }
    if (clip.bottom() >= H) p.fillRect(QRect(clip.left(), H, clip.width(), windowHeight - H), bg);
}
