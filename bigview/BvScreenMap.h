#pragma once
// The screen map: the off-screen image of the rows on view. Scrolling turns the image's rows
// instead of moving their pixels (image row y holds map row (y + rotation) mod height), and
// copying to the window puts them back in order.
//
// The map is as wide as the view's columns. A line of megabytes shown unwrapped would make that
// wider than any bitmap, so beyond kFullMapWidth only a window of the map around the view is
// kept: Origin is the map x of the image's first pixel column.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <cstdint>

#include "model/BvEncoding.h"
#include "model/BvText.h"
#include "model/BvTypes.h"

class TViewFont;

class TBvScreenMap {
public:
    static constexpr int64_t kFullMapWidth = 8192;
    static constexpr int kWindowSlack = 1024;

    // How rows are drawn: the font and tab distance, the colours, the line-end mark's geometry.
    struct RowStyle {
        const TViewFont* font = nullptr;
        TBvEncoding encoding;
        int64_t tabDistance = 0;
        QColor fg, bg;
        uint32_t markPixel = 0;
        int charWidth = 6;
        int lineHeight = 13;
        int leftMargin = 4;
    };

    // The pixels, rows in order.
    const QImage& Image() const
    {
        Linearize();
        return image_;
    }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    int64_t Origin() const { return origin_; }
    // Rows rendered since construction, for tests of what a scroll redraws.
    long long RowsRendered() const { return rowsRendered_; }

    // The image width for a map fullWidth pixels wide seen through clientWidth pixels.
    static int64_t ImageWidth(int64_t fullWidth, int clientWidth);
    // Keeps the window of a very wide map around map x scrollX.
    void PlaceWindow(int64_t fullWidth, int clientWidth, int64_t scrollX);
    // Whether the kept pixels cover map x left .. right.
    bool Covers(int64_t left, int64_t right) const { return left >= origin_ && right <= origin_ + image_.width(); }
    // A new size; the pixels common to old and new stay, new ones get fill.
    void Resize(int width, int height, uint32_t fill);
    void Fill(uint32_t pixel);

    // Moves the rows by d pixel rows up or down and fills the rows that came free with bg. Whole
    // rows move, the margins with them: a row's tab-expanded text or line-end mark may reach into
    // the right margin, and a row scrolled into place must show what a redraw would.
    void ScrollRows(int d, bool up, uint32_t bg);

    // Runs draw(painter) with a painter on the image, unless the map has no pixels.
    template <class Draw>
    void Paint(Draw&& draw)
    {
        if (image_.isNull()) return;
        QPainter p(&image_);
        p.setClipRect(image_.rect());
        draw(p);
    }
    // Draws text as one row at map row y (pixels), opaque, from the left margin, with the
    // line-end mark after it when mark is set; returns the text's width.
    int64_t DrawRow(QPainter& p, int y, const TBvText& text, bool mark, const RowStyle& style);
    // Inverts the pixels of map x left .. right, map rows top .. bottom (right and bottom open).
    void Invert(int64_t left, int top, int64_t right, int bottom);
    // Puts the text drawn in fg on bg in the same rectangle on the background mark instead: each
    // pixel keeps how far it lies from bg towards fg, so that smoothed glyph edges stay smooth.
    void Tint(int64_t left, int top, int64_t right, int bottom, uint32_t fg, uint32_t bg, uint32_t mark);
    // Copies the map x srcLeft .. srcLeft + clip width of the clip's rows to clip in the window;
    // columns beyond the kept pixels and rows below the map get bg.
    void CopyTo(QPainter& p, const QRect& clip, int64_t srcLeft, int windowHeight, const QColor& bg) const;

    // The selection the pixels show, while that is known: a drag then inverts only the change.
    bool Shows(TDispPos start, TDispPos end) const { return shownKnown_ && shownStart_ == start && shownEnd_ == end; }
    void NoteShown(TDispPos start, TDispPos end)
    {
        shownStart_ = start;
        shownEnd_ = end;
        shownKnown_ = true;
    }
    // After a scroll: its new rows were drawn with the selection of now, so the map still shows
    // one selection only if that is the one it showed.
    void NoteScrolled(TDispPos start, TDispPos end)
    {
        if (!Shows(start, end)) shownKnown_ = false;
    }
    void ForgetShown() { shownKnown_ = false; }

private:
    int Row(int y) const { return image_.height() ? (y + rot_) % image_.height() : y; }
    void Linearize() const;

    mutable QImage image_;
    mutable int rot_ = 0;
    int64_t origin_ = 0;
    long long rowsRendered_ = 0;
    TDispPos shownStart_, shownEnd_;
    bool shownKnown_ = false;
};
