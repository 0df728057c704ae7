#include "bigview/BvFrame.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <QStyle>
#include <QWidget>

namespace {

constexpr int kSizingBorder = 4;
constexpr int kDlgFrame = 3;
constexpr int kClientEdge = 2;

}  // namespace

int TBvFrame::BorderWidth() const { return (Has(bvVResize) || Has(bvHResize)) ? kSizingBorder : 0; }

int TBvFrame::EdgeWidth() const { return Has(bvClientLow) ? kClientEdge : 0; }

int TBvFrame::CaptionHeight() const
{
    if (!Has(bvCaption)) return 0;
    return QFontMetrics(QApplication::font()).height() + 6;
}

QRect TBvFrame::FrameRect(const QRect& all) const
{
    const int m = BorderWidth() + (Has(bvDblFrame) ? kDlgFrame : 0) + (Has(bvCaption) ? 1 : 0);
    return all.adjusted(m, m, -m, -m);
}

QRect TBvFrame::ClientRect(const QRect& all, int vBarWidth, int hBarHeight) const
{
    QRect r = FrameRect(all);
    r.setTop(r.top() + CaptionHeight());
    const int e = EdgeWidth();
    r.adjust(e, e, -e, -e);
    r.setRight(r.right() - vBarWidth);
    r.setBottom(r.bottom() - hBarHeight);
    if (r.width() < 0) r.setWidth(0);
    if (r.height() < 0) r.setHeight(0);
    return r;
}

int TBvFrame::HitTest(const QRect& all, const QRect& client, QPoint pos, bool ctrlDown) const
{
    int ht = HTNOWHERE;
    if (all.contains(pos)) {
        const int b = BorderWidth();
        const bool left = pos.x()<all.left() + b, right = pos.x()> all.right() - b;
        const bool top = pos.y()<all.top() + b, bottom = pos.y()> all.bottom() - b;
        const QRect f = FrameRect(all);
        const QRect cap(f.left(), f.top(), f.width(), CaptionHeight());
        if (b && top && left) ht = HTTOPLEFT;
        else if (b && top && right) ht = HTTOPRIGHT;
        else if (b && bottom && left) ht = HTBOTTOMLEFT;
        else if (b && bottom && right) ht = HTBOTTOMRIGHT;
        else if (b && left) ht = HTLEFT;
        else if (b && right) ht = HTRIGHT;
        else if (b && top) ht = HTTOP;
        else if (b && bottom) ht = HTBOTTOM;
        else if (cap.height() > 0 && cap.contains(pos)) ht = HTCAPTION;
        else if (client.contains(pos)) ht = HTCLIENT;
    }
    if (!Has(bvVResize) && ht >= HTTOP && ht <= HTBOTTOMRIGHT) ht = HTNOWHERE;
    if (!Has(bvHResize) && (ht == HTLEFT || ht == HTRIGHT || ht == HTTOPLEFT || ht == HTTOPRIGHT ||
                            ht == HTBOTTOMLEFT || ht == HTBOTTOMRIGHT))
        ht = HTNOWHERE;
    if (Has(bvCaption)) {
        if (!Has(bvMove) && ht == HTCAPTION) ht = HTNOWHERE;
    } else if (Has(bvMove) && ht == HTCLIENT && ctrlDown) {
        ht = HTCAPTION;
    }
    return ht;
}

void TBvFrame::MinMaxInfo(QSize current, const QStyle* style, QSize& minTrack, QSize& maxTrack) const
{
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight);
    minTrack = QSize(title * 3, title);  // the smallest window the desktop makes
    maxTrack = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!Has(bvVResize)) minTrack.setHeight(current.height()), maxTrack.setHeight(current.height());
    if (!Has(bvHResize)) minTrack.setWidth(current.width()), maxTrack.setWidth(current.width());
}

void TBvFrame::Draw(QPainter& p, const QRect& all, const QRect& inner, const QPalette& pal) const
{
    QRegion frame(all);
    frame -= QRegion(inner);
    if (frame.isEmpty()) return;
    p.save();
    p.setClipRegion(frame);
    p.fillRect(all, pal.color(QPalette::Window));
    QRect r = all;
    const int b = BorderWidth();
    if (b) {
        p.setPen(pal.color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(b, b, -b, -b);
    }
    if (Has(bvDblFrame)) {
        p.setPen(pal.color(QPalette::Light));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(r.adjusted(kDlgFrame - 1, kDlgFrame - 1, -kDlgFrame, -kDlgFrame));
        r.adjust(kDlgFrame, kDlgFrame, -kDlgFrame, -kDlgFrame);
    }
    if (Has(bvCaption)) {
        p.setPen(pal.color(QPalette::Shadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
        const QRect bar(r.left(), r.top(), r.width(), CaptionHeight());
        p.fillRect(bar, pal.color(QPalette::Highlight));
        p.setPen(pal.color(QPalette::HighlightedText));
        p.setFont(QApplication::font());
        p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(Caption.c_str()));
        r.setTop(bar.bottom() + 1);
    }
    if (EdgeWidth()) {
        // Sunken edge: dark above and left, light below and right.
        const QRect e = r.adjusted(0, 0, -1, -1);
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(e.topLeft(), e.topRight());
        p.drawLine(e.topLeft(), e.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(e.bottomLeft(), e.bottomRight());
        p.drawLine(e.topRight(), e.bottomRight());
        p.setPen(pal.color(QPalette::Shadow));
        p.drawLine(e.topLeft() + QPoint(1, 1), e.topRight() + QPoint(-1, 1));
        p.drawLine(e.topLeft() + QPoint(1, 1), e.bottomLeft() + QPoint(1, -1));
    }
    p.restore();
}

void TBvFrame::BeginDrag(int ht, QPoint global, const QRect& geometry)
{
    drag_ = ht;
    dragStart_ = global;
    dragGeometry_ = geometry;
}

QRect TBvFrame::DragTo(QPoint global, QSize minT, QSize maxT) const
{
    const QPoint d = global - dragStart_;
    QRect g = dragGeometry_;
    switch (drag_) {
    case HTCAPTION: g.translate(d); break;
    case HTLEFT: g.setLeft(g.left() + d.x()); break;
    case HTRIGHT: g.setRight(g.right() + d.x()); break;
    case HTTOP: g.setTop(g.top() + d.y()); break;
    case HTBOTTOM: g.setBottom(g.bottom() + d.y()); break;
    case HTTOPLEFT: g.setTopLeft(g.topLeft() + d); break;
    case HTTOPRIGHT: g.setTopRight(g.topRight() + d); break;
    case HTBOTTOMLEFT: g.setBottomLeft(g.bottomLeft() + d); break;
    case HTBOTTOMRIGHT: g.setBottomRight(g.bottomRight() + d); break;
    default: break;
    }
    if (g.width() < minT.width() || g.height() < minT.height() || g.width() > maxT.width() ||
        g.height() > maxT.height())
        return QRect();
    return g;
}
