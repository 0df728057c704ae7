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
#include <cmath>

#include "bigview/Bigview.h"

namespace {

int Nearest(double v) { return int(std::nearbyint(v)); }  // ties go to the even neighbour

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

TBigView::TBigView(QWidget* owner) : QWidget(owner), font_(std::make_shared<TViewFont>(font())), lines_(store_, *this)
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
        vBar_->setSliderPosition(scVPos_.Pos());
    });
    connect(vBar_, &QAbstractSlider::sliderReleased, this, [this] {
        WMVScroll(SB_THUMBPOSITION, vBar_->sliderPosition());
        WMVScroll(SB_ENDSCROLL, vBar_->sliderPosition());
        vBar_->setSliderPosition(scVPos_.Pos());
    });
    connect(hBar_, &QAbstractSlider::actionTriggered, this, [this, code](int action) {
        const int c = code(action);
        if (c < 0) return;
        WMHScroll(c, hBar_->sliderPosition());
        hBar_->setSliderPosition(scHPos_.Pos());
    });

    lineHeight_ = std::abs(font_->Font().pixelSize() > 0 ? font_->Font().pixelSize() : font_->LineHeight()) + 2;
    charWidth_ = font_->CharWidth();
    viewLines_ = height() / lineHeight_;

    caretTimer_ = new QTimer(this);
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    caretTimer_->setInterval(flash > 0 ? flash / 2 : 500);
    connect(caretTimer_, &QTimer::timeout, this, [this] {
        caretObj_.Blink();
        if (caretObj_.Visible()) update();
    });

    rowsKey_ = WantedKey();
    // The work off this thread reports its end here, in this thread's turn.
    connect(
        this, &TBigView::jobEnded, this,
        [this] {
            LoadEnded();
            DeriveEnded();
        },
        Qt::QueuedConnection);
    ResizeMap();
    MapClear();
}

TBigView::~TBigView()
{
    // The work off this thread reads the texts: it stops before they go.
    derive_.reset();
    staged_.reset();
    load_.reset();
    if (disposer_.joinable()) disposer_.join();
}

// ---- frame ----

QRect TBigView::ClientRect() const
{
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return frame_.ClientRect(rect(), HasVBar() ? sb : 0, HasHBar() ? sb : 0);
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

int TBigView::WMNCHitTest(QPoint pos, Qt::KeyboardModifiers keys) const
{
    return frame_.HitTest(rect(), ClientRect(), pos, keys & Qt::ControlModifier);
}

void TBigView::WMGetMinMaxInfo(QSize& minTrack, QSize& maxTrack) const
{
    frame_.MinMaxInfo(size(), style(), minTrack, maxTrack);
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
    if (v == frame_.Style) return;
    if (OnBvStyleChanging) OnBvStyleChanging(this, v);
    frame_.Style = v;
    RecreateWindow();
    if (OnBvStyleChanged) OnBvStyleChanged(this);
}

void TBigView::SetCaption(const std::string& text)
{
    // At most 255 bytes, cut at a NUL as the caption buffer would.
    std::string t = text.substr(0, std::min(text.find('\0'), size_t(255)));
    if (t == frame_.Caption) return;
    frame_.Caption = t;
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
    h -= frame_.CaptionHeight();
    viewLines_ = h > 0 ? h / lineHeight_ : 0;
}

void TBigView::ApplyFollowUp(TBvFollowUp f)
{
    if (f == TBvFollowUp::MapUpdate) {
        LimitToDisplayLines(true);  // a new wrapping may have fewer display lines
        MapUpdate();
    } else if (f == TBvFollowUp::MapResize) {
        MapResize();
    }
}

void TBigView::CalcBvLines(int fromOrg)
{
    DropDerive();
    if (store_.Position(store_.Count()) >= TBvDeriver::kParallelFrom) font_->PrepareForThreads();
    const bool whole = fromOrg <= 0 || !WantedKey().Serves(rowsKey_);
    lines_.CalcBvLines(whole ? 0 : fromOrg);
    if (whole) rowsKey_ = WantedKey();
    LimitToDisplayLines(false);
}

void TBigView::LimitToDisplayLines(bool topLine)
{
    const int last = std::max(GetCount() - 1, 0);
    if (topLine) {
        if (viewLineStart_ > last) {
            viewLineStart_ = last;
            DoVScroll(SB_THUMBPOSITION, -1, 0);
        }
        viewLineEnd_ = int(std::max<int64_t>(0, std::min<int64_t>(int64_t(viewLineStart_) + viewLines_ - 1, last)));
    }
    if (viewLineEnd_ > last) viewLineEnd_ = last;
    sel_.Limit();
}

void TBigView::SetMaxChar(int n) { ApplyFollowUp(lines_.SetMaxChar(n)); }

// The wrap settings: the display lines follow them (off this thread for a large text) keeping
// the top file line and the selection. A tab width cuts lines in the pixel fit too, so that no
// piece grows wider than the window.
void TBigView::SetWrap(const TBvWrap& wrap)
{
    if (wrap == lines_.Wrap()) return;
    lines_.SetWrap(wrap);
    Rederive();
    MapUpdate();
}

void TBigView::SetViewTabStop(int n)
{
    if (n < 0) return;
    TBvWrap w = lines_.Wrap();
    w.viewTabStop = n;
    SetWrap(w);
}

void TBigView::SetWrapByte(int n)
{
    if (n < 0) return;
    TBvWrap w = lines_.Wrap();
    w.wrapByte = n;
    SetWrap(w);
}

void TBigView::SetWordWrap(bool b)
{
    TBvWrap w = lines_.Wrap();
    w.wordWrap = b;
    SetWrap(w);
}

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
        if (lines_.Piece(i).Len <= widest) continue;  // the text is never longer than Len
        // The byte length of the display line's text: its Len clipped at the line's end.
        widest = std::max(widest, int(lines_.Bytes(i).size()));
    }
    if (widest <= MaxChar()) return false;
    SetMaxChar(widest);
    TMapLock lock(*this);
    CalcScrollRange();
    return true;
}

void TBigView::CalcScrollRange()
{
    if (HasVBar()) {
        const int count = GetCount();
        int n = ScrollLimit();
        if (n >= count) n = count - 1;
        if (n < 1) n = 1;
        if (n < scVPos_.Pos()) SetScVPos(n);
        vRangeMax_ = n;
        vBar_->setRange(0, n);
        vBar_->setPageStep(std::max(viewLines_, 1));
        TMapLock lock(*this);
        SetViewLineStart(viewLineStart_);
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
    font_ = std::make_shared<TViewFont>(font());
    MapResize();
}

void TBigView::WMSetFocus()
{
    caretObj_.Create(2, lineHeight_);
    if (caret_) SetCaret(true);
    caretTimer_->start();
    if (frame_.Has(bvMove)) {
        // In front of its siblings and painted there at once, without running the event loop
        // inside a focus handler (a load's end or a search could run within it).
        raise();
        repaint();
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
    if (sel_.Dragging()) EndDrag();
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
    // A key held down repeats as release-and-press pairs on X11: only a real release is a key-up.
    if (e->isAutoRepeat()) return;
    const bool dragging = sel_.Dragging();
    WMKeyUp();
    if (dragging && !sel_.Dragging()) OfferPrimarySelection();
}
