// The view control as a whole: construction, properties, frame styles, metrics, scroll ranges
// and the window events that are neither painting, scrolling nor pointing.
#include <QAbstractSlider>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <chrono>
#include <cmath>

#include "bigview/Bigview.h"

namespace {

int Nearest(double v) { return int(std::nearbyint(v)); }  // ties go to the even neighbour

constexpr int kSizingBorder = 4;
constexpr int kDlgFrame = 3;
constexpr int kClientEdge = 2;

}  // namespace

TColor clWindow() { return FromQColor(QApplication::palette().color(QPalette::Base)); }
QColor ToQColor(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
TColor FromQColor(const QColor& c) { return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16); }

// ---- caret ----

void TBvCaret::Create(int w, int h)
{
    exists_ = true;
    hideCount_ = 1;
    size_ = {w, h};
}

void TBvCaret::Destroy()
{
    exists_ = false;
    hideCount_ = 1;
}

bool TBvCaret::Show()
{
    if (!exists_) return false;
    if (hideCount_ > 0) --hideCount_;
    return hideCount_ == 0;
}

bool TBvCaret::Hide()
{
    if (!exists_) return false;
    ++hideCount_;
    return true;
}

// ---- construction ----

std::function<uint32_t()> TBigView::TickSource;

uint32_t TBigView::GetTickCount()
{
    if (TickSource) return TickSource();
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TBigView::TBigView(QWidget* owner)
    : QWidget(owner), font_(std::make_unique<TViewFont>(font())), lines_(store_, *this)
{
    // Opaque: Paint covers the whole client area itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    resize(65, 65);
    color_ = clWindow();
    mapBrush_ = color_;
    fontColor_ = FromQColor(palette().color(QPalette::Text));

    vBar_ = new QScrollBar(Qt::Vertical, this);
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    vBar_->hide();
    hBar_->hide();
    vBar_->setFocusPolicy(Qt::NoFocus);
    hBar_->setFocusPolicy(Qt::NoFocus);
    auto code = [](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: return int(SB_LINEUP);
        case QAbstractSlider::SliderSingleStepAdd: return int(SB_LINEDOWN);
        case QAbstractSlider::SliderPageStepSub: return int(SB_PAGEUP);
        case QAbstractSlider::SliderPageStepAdd: return int(SB_PAGEDOWN);
        case QAbstractSlider::SliderToMinimum: return int(SB_TOP);
        case QAbstractSlider::SliderToMaximum: return int(SB_BOTTOM);
        case QAbstractSlider::SliderMove: return int(SB_THUMBTRACK);
        default: return -1;
        }
    };
    connect(vBar_, &QAbstractSlider::actionTriggered, this, [this, code](int action) {
        const int c = code(action);
        if (c < 0) return;
        WMVScroll(c, vBar_->sliderPosition());
        vBar_->setSliderPosition(scVPos_[0]);
    });
    connect(vBar_, &QAbstractSlider::sliderReleased, this, [this] {
        WMVScroll(SB_THUMBPOSITION, vBar_->sliderPosition());
        WMVScroll(SB_ENDSCROLL, vBar_->sliderPosition());
        vBar_->setSliderPosition(scVPos_[0]);
    });
    connect(hBar_, &QAbstractSlider::actionTriggered, this, [this, code](int action) {
        const int c = code(action);
        if (c < 0) return;
        WMHScroll(c, hBar_->sliderPosition());
        hBar_->setSliderPosition(scHPos_[0]);
    });

    lineHeight_ = std::abs(font_->Font().pixelSize() > 0 ? font_->Font().pixelSize() : font_->LineHeight()) + 2;
    charWidth_ = font_->CharWidth();
    viewLines_ = height() / lineHeight_;
    lastScrollTick_ = GetTickCount();

    caretTimer_ = new QTimer(this);
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    caretTimer_->setInterval(flash > 0 ? flash / 2 : 500);
    connect(caretTimer_, &QTimer::timeout, this, [this] {
        caretBlinkOn_ = !caretBlinkOn_;
        if (caretObj_.Visible()) update();
    });

    ResizeMap();
    MapClear();
}

TBigView::~TBigView() = default;

// ---- frame ----

int TBigView::BorderWidth() const
{
    return (BvHas(bvStyle_, bvVResize) || BvHas(bvStyle_, bvHResize)) ? kSizingBorder : 0;
}

int TBigView::EdgeWidth() const { return BvHas(bvStyle_, bvClientLow) ? kClientEdge : 0; }

int TBigView::CaptionHeight() const
{
    if (!BvHas(bvStyle_, bvCaption)) return 0;
    return QFontMetrics(QApplication::font()).height() + 6;
}

QRect TBigView::FrameRect() const
{
    int m = BorderWidth() + (BvHas(bvStyle_, bvDblFrame) ? kDlgFrame : 0) + (BvHas(bvStyle_, bvCaption) ? 1 : 0);
    return rect().adjusted(m, m, -m, -m);
}

QRect TBigView::ClientRect() const
{
    QRect r = FrameRect();
    r.setTop(r.top() + CaptionHeight());
    const int e = EdgeWidth();
    r.adjust(e, e, -e, -e);
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (HasVBar()) r.setRight(r.right() - sb);
    if (HasHBar()) r.setBottom(r.bottom() - sb);
    if (r.width() < 0) r.setWidth(0);
    if (r.height() < 0) r.setHeight(0);
    return r;
}

int TBigView::ClientWidth() const { return ClientRect().width(); }
int TBigView::ClientHeight() const { return ClientRect().height(); }

void TBigView::LayoutScrollBars()
{
    const QRect c = ClientRect();
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    vBar_->setVisible(HasVBar());
    hBar_->setVisible(HasHBar());
    if (HasVBar()) vBar_->setGeometry(c.right() + 1, c.top(), sb, c.height());
    if (HasHBar()) hBar_->setGeometry(c.left(), c.bottom() + 1, c.width(), sb);
}

void TBigView::DrawFrame(QPainter& p)
{
    const QRect all = rect();
    const QRect client = ClientRect();
    const QPalette pal = palette();
    // Everything outside the client area and the scroll bars is frame.
    QRegion frame(all);
    QRect inner = client;
    if (HasVBar()) inner.setRight(vBar_->geometry().right());
    if (HasHBar()) inner.setBottom(hBar_->geometry().bottom());
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
    if (BvHas(bvStyle_, bvDblFrame)) {
        p.setPen(pal.color(QPalette::Light));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(r.adjusted(kDlgFrame - 1, kDlgFrame - 1, -kDlgFrame, -kDlgFrame));
        r.adjust(kDlgFrame, kDlgFrame, -kDlgFrame, -kDlgFrame);
    }
    if (BvHas(bvStyle_, bvCaption)) {
        p.setPen(pal.color(QPalette::Shadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
        const QRect bar(r.left(), r.top(), r.width(), CaptionHeight());
        p.fillRect(bar, pal.color(QPalette::Highlight));
        p.setPen(pal.color(QPalette::HighlightedText));
        p.setFont(QApplication::font());
        p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(caption_.c_str()));
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

int TBigView::WMNCHitTest(QPoint pos, Qt::KeyboardModifiers keys) const
{
    // The answer a plain window with this frame would give.
    int ht = HTNOWHERE;
    const QRect all = rect();
    if (all.contains(pos)) {
        const int b = BorderWidth();
        const bool left = pos.x() < all.left() + b, right = pos.x() > all.right() - b;
        const bool top = pos.y() < all.top() + b, bottom = pos.y() > all.bottom() - b;
        const QRect f = FrameRect();
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
        else if (ClientRect().contains(pos)) ht = HTCLIENT;
    }
    if (!BvHas(bvStyle_, bvVResize) && ht >= HTTOP && ht <= HTBOTTOMRIGHT) ht = HTNOWHERE;
    if (!BvHas(bvStyle_, bvHResize) &&
        (ht == HTLEFT || ht == HTRIGHT || ht == HTTOPLEFT || ht == HTTOPRIGHT || ht == HTBOTTOMLEFT || ht == HTBOTTOMRIGHT))
        ht = HTNOWHERE;
    if (BvHas(bvStyle_, bvCaption)) {
        if (!BvHas(bvStyle_, bvMove) && ht == HTCAPTION) ht = HTNOWHERE;
    } else if (BvHas(bvStyle_, bvMove) && ht == HTCLIENT && (keys & Qt::ControlModifier)) {
        ht = HTCAPTION;
    }
    return ht;
}

void TBigView::WMGetMinMaxInfo(QSize& minTrack, QSize& maxTrack) const
{
    minTrack = QSize(style()->pixelMetric(QStyle::PM_TitleBarHeight) * 3, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    maxTrack = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!BvHas(bvStyle_, bvVResize)) minTrack.setHeight(height()), maxTrack.setHeight(height());
    if (!BvHas(bvStyle_, bvHResize)) minTrack.setWidth(width()), maxTrack.setWidth(width());
}

// A style, caption or scroll-bar change rebuilds the frame; a new window receives the font
// and so resizes its map, then repaints.
void TBigView::RecreateWindow()
{
    LayoutScrollBars();
    WMSetFont();
    update();
}

// ---- properties ----

void TBigView::SetBvStyle(TBvStyle v)
{
    if (v == bvStyle_) return;
    if (OnBvStyleChanging) OnBvStyleChanging(this, v);
    bvStyle_ = v;
    RecreateWindow();
    if (OnBvStyleChanged) OnBvStyleChanged(this);
}

void TBigView::SetCaption(const std::string& text)
{
    // At most 255 bytes, cut at a NUL as the caption buffer would.
    std::string t = text.substr(0, std::min(text.find('\0'), size_t(255)));
    if (t == caption_) return;
    caption_ = t;
    RecreateWindow();
}

void TBigView::SetColor(TColor c)
{
    color_ = c;
    update();  // Paint finds the map's brush out of date and rebuilds the map
}

void TBigView::SetScOver(bool b)
{
    scOver_ = b;
    CalcScrollRange();
}

void TBigView::SetScrollBar(TScrollStyle v)
{
    if (v == scrollBar_) return;
    scrollBar_ = v;
    RecreateWindow();
    CalcScrollRange();
    CalcViewLines();
}

void TBigView::CalcViewLines()
{
    int h = height();
    if (HasHBar()) h -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    h -= CaptionHeight();
    viewLines_ = h > 0 ? h / lineHeight_ : 0;
}

void TBigView::ApplyFollowUp(TBvFollowUp f)
{
    if (f == TBvFollowUp::MapUpdate) MapUpdate();
    else if (f == TBvFollowUp::MapResize) MapResize();
}

void TBigView::SetMaxChar(int n) { ApplyFollowUp(lines_.SetMaxChar(n)); }
void TBigView::SetViewTabStop(int n) { ApplyFollowUp(lines_.SetViewTabStop(n)); }
void TBigView::SetWrapByte(int n) { ApplyFollowUp(lines_.SetWrapByte(n)); }
void TBigView::SetWordWrap(bool b) { ApplyFollowUp(lines_.SetWordWrap(b)); }

void TBigView::SetViewFont(const QFont& f)
{
    setFont(f);  // reaches changeEvent(FontChange), the font message
}

// ---- metrics and ranges ----

void TBigView::CalcFontSize()
{
    lineHeight_ = font_->LineHeight();
    if (lineHeight_ < 1) lineHeight_ = 1;
    charWidth_ = font_->CharWidth();
    if (ClientWidth() > int64_t(MaxChar()) * charWidth_) SetMaxChar(Nearest(double(ClientWidth()) / charWidth_) + 1);
}

bool TBigView::CalcMapWidth(int start, int count)
{
    if (start < 0) {
        count += start;
        start = 0;
    }
    if (count < 1) return false;
    int widest = MaxChar();
    const int end = int(std::min<int64_t>(int64_t(start) + count, GetCount()));
    for (int i = start; i < end; ++i) {
        const TBvInfo& r = lines_.Info(i);
        if (r.Len <= widest) continue;  // the text is never longer than Len
        // The byte length of the display line's text: its Len clipped at the line's end.
        const int64_t rest = r.OrgPos > 0 ? int64_t(GetOrg(r.OrgIndex).size()) - (r.OrgPos - 1) : 0;
        const int len = int(std::max<int64_t>(0, std::min<int64_t>(r.Len, rest)));
        if (len > widest) widest = len;
    }
    if (widest <= MaxChar()) return false;
    SetMaxChar(widest);
    mapLock_ = true;
    CalcScrollRange();
    mapLock_ = false;
    return true;
}

void TBigView::CalcScrollRange()
{
    if (HasVBar()) {
        const int count = GetCount();
        int n = ScrollLimit();
        if (n >= count) n = count - 1;
        if (n < 1) n = 1;
        if (n < scVPos_[0]) SetScVPos(n);
        vRangeMax_ = n;
        vBar_->setRange(0, n);
        vBar_->setPageStep(std::max(viewLines_, 1));
        mapLock_ = true;
        SetViewLineStart(viewLineStart_);
        mapLock_ = false;
    }
    if (HasHBar()) {
        hRangeMax_ = MaxChar() - ClientWidth() / charWidth_;
        hBar_->setRange(0, std::max(hRangeMax_, 0));
        hBar_->setPageStep(std::max(ClientWidth() / charWidth_, 1));
    }
}

// ---- window events ----

void TBigView::WMSize() { MapResize(); }
void TBigView::WMMove() { MapUpdate(); }

void TBigView::WMSetFont()
{
    font_ = std::make_unique<TViewFont>(font());
    MapResize();
}

void TBigView::WMSetFocus()
{
    caretObj_.Create(2, lineHeight_);
    if (caret_) SetCaret(true);
    caretTimer_->start();
    if (BvHas(bvStyle_, bvMove)) {
        raise();
        QCoreApplication::processEvents();
    }
}

void TBigView::WMKillFocus()
{
    caretObj_.Destroy();
    caretTimer_->stop();
    update();
}

void TBigView::WMKeyUp()
{
    if (selDragging_) selDragging_ = false;
}

void TBigView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    LayoutScrollBars();
    WMSize();
}

void TBigView::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    WMMove();
}

void TBigView::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange) WMSetFont();
}

void TBigView::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    WMSetFocus();
}

void TBigView::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    WMKillFocus();
}

void TBigView::keyReleaseEvent(QKeyEvent* e)
{
    QWidget::keyReleaseEvent(e);
    const bool dragging = selDragging_;
    WMKeyUp();
    if (dragging && !selDragging_) OfferPrimarySelection();
}
