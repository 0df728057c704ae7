#pragma once
// The frame of the view control: its styles, the caption bar, the sizing border, the sunken
// and the double edge, drawn and hit-tested by the control itself around its client area, and
// moving or sizing the control by dragging the frame.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <initializer_list>
#include <string>

class QPainter;
class QPalette;
class QStyle;

// Frame and behaviour styles, member n in bit n.
enum TBvStyles : uint8_t { bvCaption, bvVResize, bvHResize, bvMove, bvClientLow, bvDblFrame };
using TBvStyle = uint8_t;
constexpr TBvStyle BvSet(std::initializer_list<TBvStyles> members)
{
    TBvStyle s = 0;
    for (TBvStyles m : members) s = TBvStyle(s | (1u << m));
    return s;
}
constexpr bool BvHas(TBvStyle s, TBvStyles m) { return (s >> m) & 1u; }

// Non-client hit-test codes.
enum : int {
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17
};

class TBvFrame {
public:
    TBvStyle Style = BvSet({bvClientLow});
    std::string Caption;  // at most 255 bytes

    bool Has(TBvStyles m) const { return BvHas(Style, m); }
    int BorderWidth() const;  // the sizing border
    int EdgeWidth() const;    // the sunken client edge
    int CaptionHeight() const;
    // The control's rectangle less the sizing border, the double frame and the caption's border.
    QRect FrameRect(const QRect& all) const;
    // The client area: inside the frame, the caption and the edge, less the scroll bars' widths.
    QRect ClientRect(const QRect& all, int vBarWidth, int hBarHeight) const;

    // The hit-test code at pos: what a plain window with this frame answers, then changed by the
    // styles (no sizing without its style, the caption moving only with bvMove, Ctrl turning
    // the client area of a movable control without caption into a caption).
    int HitTest(const QRect& all, const QRect& client, QPoint pos, bool ctrlDown) const;
    // Tracking sizes: a dimension that may not be resized is frozen at its current size.
    void MinMaxInfo(QSize current, const QStyle* style, QSize& minTrack, QSize& maxTrack) const;
    // Paints everything of `all` outside `inner` (the client area with its scroll bars).
    void Draw(QPainter& p, const QRect& all, const QRect& inner, const QPalette& pal) const;

    // Moving or sizing by a press on the frame with hit-test code ht.
    void BeginDrag(int ht, QPoint global, const QRect& geometry);
    void EndDrag() { drag_ = HTNOWHERE; }
    bool Dragging() const { return drag_ != HTNOWHERE; }
    // The geometry for the pointer at global, or an empty rectangle when the tracking sizes
    // refuse it.
    QRect DragTo(QPoint global, QSize minTrack, QSize maxTrack) const;

private:
    int drag_ = HTNOWHERE;
    QPoint dragStart_;
    QRect dragGeometry_;
};
