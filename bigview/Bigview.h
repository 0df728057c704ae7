#pragma once
// TBigView: the text-view control. It owns the line store and the display lines, renders the
// rows on view into an off-screen screen map and copies the map to the window, keeps the top
// line and scroll positions, and lets the user select and copy text.
//
// It is the façade with every documented name; the self-contained machines inside it are
// classes of their own that it owns: the screen map (BvScreenMap), the scroll-step accelerator
// (BvScrollAccel), the frame (BvFrame) and the selection with its pointer rules (BvSelection).
// Its operations are spread over files by concern:
//   BigView.cpp         construction, properties, metrics, scroll ranges, window events
//   BigViewMap.cpp      the map operations and Paint
//   BigViewScroll.cpp   top line, scroll positions, scroll-bar requests
//   BigViewSelect.cpp   selection setters, caret, the Qt pointer events
//   BigViewMouse.cpp    hit-testing, drag selection, word selection
//   BigViewContent.cpp  the content operations
//   BigViewCopy.cpp     copying the selection
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bigview/BvFrame.h"
#include "bigview/BvScreenMap.h"
#include "bigview/BvScrollAccel.h"
#include "bigview/BvSelection.h"
#include "bigview/ViewFont.h"
#include "platform/Color.h"
#include "model/BvJob.h"
#include "model/BvLines.h"
#include "model/BvLoad.h"
#include "model/BvStrings.h"
#include "model/BvText.h"
#include "model/BvTypes.h"

class QIODevice;
class QMimeData;
class TBvFind;
class QScrollBar;
class QTimer;

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// The nine scroll-bar request codes.
enum TScrollCode : int {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8
};

TColor clWindow();
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// The caret with the hide-count rules of the desktop it was made for: created hidden, shown
// when every hide has been balanced by a show.
class TBvCaret {
public:
    void Create(int w, int h);
    void Destroy();
    bool Show();
    bool Hide();
    void SetPos(int x, int y) { pos_ = {x, y}; }
    QPoint Pos() const { return pos_; }
    QSize Size() const { return size_; }
    bool Visible() const { return exists_ && hideCount_ == 0; }
    // The blink's phase: drawn only in the on phase.
    void Blink() { blinkOn_ = !blinkOn_; }
    bool BlinkOn() const { return blinkOn_; }

private:
    bool blinkOn_ = true;
    bool exists_ = false;
    int hideCount_ = 1;
    QPoint pos_;
    QSize size_;
};

class TBigView : public QWidget, private TBvMeasure {
    Q_OBJECT
public:
    static constexpr int LeftMargin = 4;

    explicit TBigView(QWidget* owner = nullptr);
    ~TBigView() override;

    // The millisecond tick of this view's scroll acceleration, truncated to 32 bits; tests give
    // their own clock.
    uint32_t GetTickCount() const { return accel_.Tick(); }
    void SetTickSource(TBvScrollAccel::Clock clock) { accel_.SetClock(std::move(clock)); }

    // --- document model (display lines) ---
    virtual TBvText Get(int index) const { return lines_.Get(index); }
    TBvText GetOrg(int index) const { return lines_.GetOrg(index); }
    int GetCount() const { return lines_.GetCount(); }
    int GetCountOrg() const { return lines_.GetCountOrg(); }
    bool CrCheck(int index) const { return lines_.CrCheck(index); }
    TBvInfo Info(int index) const { return lines_.Info(index); }
    // Re-derives, then limits the selection and the top and last lines to the display lines.
    void CalcBvLines(int fromOrg);
    // The text's display lines, and the text itself.
    const TBvLines& DisplayLines() const { return lines_; }
    int64_t TabbedTextWidth(const TBvText& s) const { return lines_.TabbedTextWidth(s); }
    int64_t TabbedTextWidth(const char* s, size_t n) const { return lines_.TabbedTextWidth(s, n); }
    static int IsStrLeadBytePos(const TBvText& s, int pos) { return TBvLines::IsStrLeadBytePos(s, pos); }
    int ConvertIndexFromOrg(int org) const { return lines_.ConvertIndexFromOrg(org); }
    int ConvertIndexToOrg(int index) const { return lines_.ConvertIndexToOrg(index); }
    TPoint ConvertLocateFromOrg(TPoint p) const { return lines_.ConvertLocateFromOrg(p); }
    TPoint ConvertLocateToOrg(TPoint p) const { return lines_.ConvertLocateToOrg(p); }
    int GetCapacity() const { return lines_.GetCapacity(); }
    void SetCapacity(int n) { lines_.SetCapacity(n); }
    // The encoding of the text shown: the one it is held in, and the one its file was read in.
    TBvEncoding Encoding() const { return lines_.Encoding(); }
    const TBvSource& Source() const { return store_.Source(); }
    TBvLineEnds LineEnds() const { return store_.LineEnds(); }
    // The encoding of a text given line by line (Put, Add, SetTextStr ...).
    void SetSource(const TBvSource& source) { store_.SetSource(source); }
    // The encoding LoadFromFile reads in; none (the default): the one the file's bytes show.
    std::optional<TCharset> ReadCharset() const { return readCharset_; }
    void SetReadCharset(std::optional<TCharset> c) { readCharset_ = c; }

    // --- content operations ---
    virtual void Put(int index, const TBvText& s);
    virtual int Add(const TBvText& s);
    virtual void AddStrings(const std::vector<TBvText>& source);
    virtual void LinesAssign(const std::vector<TBvText>& source);
    virtual void Clear();
    virtual void CopyTo(std::vector<TBvText>& dest) const;
    virtual void Delete(int index);
    virtual void Exchange(int index1, int index2);
    virtual int IndexOf(const TBvText& s) const;
    virtual void Insert(int index, const TBvText& s);
    virtual void LoadFromFile(const std::string& name);
    virtual void LoadFromStream(QIODevice& stream);
    virtual void SaveToFile(const std::string& name) const;
    virtual void SaveToStream(QIODevice& stream) const;
    void PutOrg(int index, const TBvText& s);
    // Lines appended to the file shown, the last file line replaced by the first of them when
    // replaceLast is set (it had not ended): derived and drawn without moving the view.
    void AddTail(bool replaceLast, const std::vector<TBvText>& lines);
    void SetTextBuf(const char* buffer);

    // --- find (BigViewFind.cpp) ---
    // Looks for text (ASCII letters without case) from display position (column, line) on, in
    // the file lines; leaves the display position of the match's first byte, or of the end of
    // the text when there is none. The view neither scrolls nor selects.
    virtual bool Find(const TBvText& text, int& line, int& column) const;
    // Selects from start to end, brings the display line of start to the top and marks the
    // matches of marks (as SetFindMarks), the map drawn once: a match found is shown so.
    void SelectAndShow(TDispPos start, TDispPos end, std::shared_ptr<const TBvFind> marks);
    // Marks each match of find in the rows drawn, but the one selected, with the mark colour,
    // until another text is shown; null marks none.
    void SetFindMarks(std::shared_ptr<const TBvFind> find);
    const TBvFind* FindMarks() const { return marks_.get(); }
    // The background of a marked match for the colours given: legible under the text's colour,
    // and unlike the background and its inversion (the selection's).
    static TColor MarkColor(TColor font, TColor back);

    // --- properties ---
    TBvStyle BvStyle() const { return frame_.Style; }
    void SetBvStyle(TBvStyle v);
    std::string GetCaption() const { return frame_.Caption; }
    void SetCaption(const std::string& text);
    bool Caret() const { return caret_; }
    void SetCaret(bool on);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c) { fontColor_ = c; }
    TColor CRColor() const { return crColor_; }
    void SetCRColor(TColor c) { crColor_ = c; }
    bool CRMark() const { return crMark_; }
    void SetCRMark(bool b) { crMark_ = b; }
    int MaxChar() const { return lines_.MaxChar(); }
    void SetMaxChar(int n);
    int PCanLimit() const { return pCanLimit_; }
    void SetPCanLimit(int n) { pCanLimit_ = n < 0 ? 0 : n; }
    bool ScOver() const { return scOver_; }
    void SetScOver(bool b);
    TScrollStyle ScrollBar() const { return scrollBar_; }
    void SetScrollBar(TScrollStyle v);
    int ScrollSense() const { return accel_.Sense(); }
    void SetScrollSense(int n) { accel_.SetSense(n); }
    bool Select() const { return sel_.Enabled(); }
    void SetSelect(bool b) { sel_.SetEnabled(b); }
    int ViewTabStop() const { return lines_.ViewTabStop(); }
    void SetViewTabStop(int n);
    int WrapByte() const { return lines_.WrapByte(); }
    void SetWrapByte(int n);
    bool WordWrap() const { return lines_.WordWrap(); }
    void SetWordWrap(bool b);
    // The three wrap settings at once: one derivation.
    void SetWrap(const TBvWrap& wrap);
    void SetViewFont(const QFont& font);
    const TViewFont& ViewFont() const { return *font_; }
    std::shared_ptr<const TViewFont> ViewFontShared() const { return font_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* PopupMenu() const { return popupMenu_; }

    // --- events; each is called only when assigned ---
    std::function<void(TBigView*, TBvStyle&)> OnBvStyleChanging;
    std::function<void(TBigView*)> OnBvStyleChanged;
    std::function<void(TBigView*, int&)> OnViewLineChanging;
    std::function<void(TBigView*)> OnViewLineChanged;

    // --- work off the user-interface thread (BigViewJobs.cpp) ---
    // Loads a file on worker threads, its display lines derived by the view's settings with
    // tabStop as the tab width, while the view goes on showing its text (keys, selection and copy
    // work on it). Then, in one step, the view shows the new text from its first line, or, when it
    // is not whole (a file that cannot be opened, a read error part way, no memory) or the load
    // was cancelled, stays as it was; done is called right after, on this thread, with why
    // (None when it was shown). A file below SyncLoadBelow bytes is loaded at once, before
    // BeginLoad returns; a pipe or a FIFO never is, since it may take any time to end.
    virtual void BeginLoad(const TBvLoadSource& source, int tabStop, std::function<void(TBvLoadFailure)> done);
    bool Loading() const { return bool(loadDone_); }
    // The bytes the last load that ended had read (for the message of a read error).
    uint64_t LoadRead() const { return loadRead_; }
    // Ends the running load at its next part; done then hears Cancelled.
    void CancelLoad();
    // How far the running load has got, from 0 to below 1; -1 while the size is unknown.
    double LoadProgress() const;
    // Whether display lines are being derived off this thread for the text shown (or about to
    // be): the map keeps what it shows until they are ready.
    bool Rederiving() const { return bool(derive_); }
    static inline uint64_t SyncLoadBelow = uint64_t(4) << 20;
    // Texts of this many bytes and more are derived again (resize, font, wrap settings, tab
    // width) off this thread.
    static inline uint64_t AsyncDeriveFrom = uint64_t(8) << 20;
    // While a hold lives, nothing replaces the text or its display lines (a search runs over
    // them); what finished meanwhile is shown once the last hold goes.
    class THold {
    public:
        explicit THold(TBigView& v) : v_(v) { ++v_.holds_; }
        ~THold() { v_.Release(); }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TBigView& v_;
    };
    bool Held() const { return holds_ > 0; }

    // --- public state ---
    int ViewLineStart() const { return viewLineStart_; }
    int ViewLineEnd() const { return viewLineEnd_; }
    int ViewLines() const { return viewLines_; }
    int LineHeight() const { return lineHeight_; }
    int CharWidth() const override { return charWidth_; }
    int ScVPos() const { return scVPos_.Pos(); }
    int ScHPos() const { return scHPos_.Pos(); }
    int ScrollStep() const { return accel_.Step(); }
    TPoint SelStart() const { return sel_.Start(); }
    TPoint SelEnd() const { return sel_.End(); }
    TPoint CaretPos() const { return sel_.Caret(); }
    bool SelDragging() const { return sel_.Dragging(); }
    // The selection's state and rules (BvSelection.h).
    const TBvSelection& Selection() const { return sel_; }
    bool MapLock() const { return mapLock_; }
    int PaintCount() const { return paintCount_; }
    // The client area inside frame, caption and scroll bars, in widget coordinates.
    QRect ClientRect() const;
    int ClientWidth() const override;
    int ClientHeight() const;
    QScrollBar* VScrollBar() const { return vBar_; }
    QScrollBar* HScrollBar() const { return hBar_; }

    // --- metrics and ranges ---
    void CalcFontSize();
    bool CalcMapWidth(int start, int count);
    void CalcScrollRange();

    // --- screen map ---
    void MapResize();
    void MapClear();
    void MapUpdate();
    void MapScrollDown(int n);
    void MapScrollUp(int n);
    void MapSelRev(const TPoint& a, const TPoint& b);
    void MapSelRevScroll(int line);
    // The map's pixels and where they sit: map x of the image's column 0 (non-zero only when the
    // map is wider than a bitmap may be and only a window of it around the view is kept).
    const QImage& MapImage() const { return map_.Image(); }
    int64_t MapOrigin() const { return map_.Origin(); }
    int64_t MapWidth() const { return (int64_t(MaxChar()) + 1) * charWidth_; }
    int MapHeight() const { return viewLines_ * lineHeight_; }
    // Rows rendered since construction, for tests of what a scroll redraws.
    long long RowsRendered() const { return map_.RowsRendered(); }
    long long PaintCalls() const { return paintCalls_; }
    // Display lines taken after a derivation off this thread, for tests of what a burst derives.
    long long RowsTaken() const { return rowsTaken_; }
    // Paints the whole control into an image, exactly as on screen.
    QImage Grab();

    // --- scrolling ---
    void SetViewLineStart(int line);
    void SetViewLineEnd(int line);
    void SetScVPos(int pos);
    void SetScHPos(int column);
    void DoVScroll(int code, int pos, uint32_t interval);
    void DoHScroll(int code, int pos, uint32_t interval);
    void ScrollSuccession(uint32_t interval);
    // Scroll-bar messages; trackPos is the bar's 32-bit thumb track position.
    void WMVScroll(int code, int trackPos);
    void WMHScroll(int code, int trackPos);
    int VRangeMax() const { return vRangeMax_; }

    // --- selection and caret ---
    void SetSelStart(const TPoint& p);
    void SetSelEnd(const TPoint& p);
    void SetCaretPosition(const TPoint& p);
    TPoint LocateOf(int x, int y) const;
    TPoint ByteLocateOf(int x, int y) const;
    bool SetViewPos(const TPoint& p);
    void SelOfDblClk(int x, int y);

    // --- copying the selection ---
    // Writes the selection's bytes and a NUL into buf (when not null) and returns the count
    // written; without a buffer, the size bound (which may exceed the count by 2). -1 when
    // nothing is selected. 64-bit: a selection may be larger than 2 GiB.
    int64_t CopyToSelBuf(char* buf) const;
    void CopyToClipboard();
    // The selection as the clipboard takes it (its text, and the bytes themselves under their
    // encoding's name for code page 932 and EUC-JP), or null when nothing is selected
    // (BigViewPrimary.cpp).
    QMimeData* SelectionMimeData() const;
    // A finished drag selection is also X11's PRIMARY selection, so that a middle click in
    // another program pastes it; the view's selection stays.
    void OfferPrimarySelection() const;

    // --- pointing: the keys the view keeps from focus navigation ---
    // True for the virtual-key codes of the arrow keys (0x25..0x28).
    bool CMWantSpecialKey(int vk) const;

    // --- frame ---
    // keys: the modifier keys down at the moment of the test (Ctrl turns a press on the client
    // area of a movable control without caption into a move).
    int WMNCHitTest(QPoint widgetPos, Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers()) const;
    void WMGetMinMaxInfo(QSize& minTrack, QSize& maxTrack) const;

signals:
    void viewLineChanged();
    // The last hold has gone (work deferred by it has been done).
    void released();
    // A job off this thread has ended: emitted on its thread, taken on this one (queued).
    void jobEnded();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

    virtual void Paint(const QRect& clip);
    // Mouse handlers in client coordinates.
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    void CMDoMouseMove();

private:
    // MapLock for one nested call: set while the guard lives, then back to what it was, so that
    // a nested call's own lock never ends an enclosing one early.
    class TMapLock {
    public:
        explicit TMapLock(TBigView& v) : v_(v), was_(v.mapLock_) { v_.mapLock_ = true; }
        ~TMapLock() { v_.mapLock_ = was_; }
        TMapLock(const TMapLock&) = delete;
        TMapLock& operator=(const TMapLock&) = delete;

    private:
        TBigView& v_;
        bool was_;
    };

    // TBvMeasure for the document model: the view font at the client width.
    int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const override
    {
        return font_->TabbedTextWidth(enc, s, n, tabDistance);
    }
    void PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                      std::vector<int64_t>& out) const override
    {
        font_->PrefixWidths(enc, s, n, tabDistance, out);
    }
    int UniformCellWidth() const override { return font_->CellGrid() ? font_->CharWidth() : 0; }
    void WMSize();
    void WMMove();
    void WMSetFont();
    void WMSetFocus();
    void WMKillFocus();
    void WMKeyUp();
    void RecreateWindow();
    void ApplyFollowUp(TBvFollowUp f);
    // After a re-derivation: the selection, the caret and the last visible line (and with
    // topLine also the top line) limited to the display lines there are now; positions that are
    // still valid stay exactly where they are.
    void LimitToDisplayLines(bool topLine);
    bool HasVBar() const { return scrollBar_ == ssVertical || scrollBar_ == ssBoth; }
    bool HasHBar() const { return scrollBar_ == ssHorizontal || scrollBar_ == ssBoth; }
    // The last top line the vertical range reaches: the last line itself with ScOver, else the
    // one that puts the last line in the last row.
    int ScrollLimit() const { return scOver_ ? GetCount() - 1 : GetCount() - viewLines_; }
    // ViewLines from the control's height less the horizontal bar and the caption bar; the
    // frame is not taken off, so the last row may be cut.
    void CalcViewLines();
    int64_t MapImageWidth() const;
    void MoveBar(QScrollBar* bar, int pos);
    void Present();
    TBvScreenMap::RowStyle RowStyle() const;
    void DrawRow(QPainter& p, int line, int logicalY, const TBvScreenMap::RowStyle& style);
    // Marks the matches of marks_ in display line `line`, drawn at map row logicalY.
    void MarkRow(int line, int logicalY);
    void PlaceMapWindow();
    void ResizeMap();
    void LayoutScrollBars();
    bool Widen(int start, int count);
    void DropSelection();
    // The caret drawn where the selection's caret position is on the window.
    void PlaceCaret();
    void FillView(bool orEqual = false);
    template <class Steps>
    void RedrawAfter(bool redraw, Steps&& steps);
    bool TextEndsOnView() const;  // rows below the last display line are on view
    void ShowLoaded(int widest = -1);
    // MapLock, or display lines about to be replaced: the map keeps what it shows.
    bool MapFrozen() const { return mapLock_ || rowsPending_; }

    // --- work off the user-interface thread (BigViewJobs.cpp) ---
    // What display lines were, or are to be, derived by.
    struct TDeriveKey {
        TBvWrap wrap;
        int clientWidth = 0;
        std::shared_ptr<const TViewFont> font;
        // Rows derived by one key serve the other: the width and the font count in the pixel fit only.
        bool Serves(const TDeriveKey& o) const;
    };
    TDeriveKey WantedKey() const;
    // The key a staged text is derived by: the settings now, with its own tab width.
    TDeriveKey StagedKey() const;
    // The font and client width of key, for measuring on other threads.
    static std::shared_ptr<const TBvMeasure> MeasureFor(const TDeriveKey& key);
    // The display lines are to follow the settings now in force: derived at once for a small
    // text (true when there are rows and they were replaced), else off this thread.
    bool Rederive();
    void StartDerive();
    void DeriveEnded();
    void LoadEnded();
    void FinishLoad(TBvLoadFailure failure);
    // Gives up the staged text.
    void DropStaged();
    // rows, derived by key, replace those on view (and get the old ones); the top file line and
    // the selection stay.
    void TakeRows(TBvRows& rows, const TDeriveKey& key, int widest);
    // The job's text and rows replace the view's in one step (the job and rows get the old ones).
    void ShowText(TBvJob& job, const TDeriveKey& key, TBvRows& rows, int widest);
    // Before an edit of the text: a derivation off this thread for it stops (it reads the text).
    void DropDerive();
    // Frees what the view no longer shows; on another thread when it is large.
    void Dispose(std::unique_ptr<TBvJob> job, TBvStrings* store = nullptr, TBvRows* rows = nullptr);
    void Release();

    // Document model.
    TBvStrings store_;
    std::optional<TCharset> readCharset_;
    std::shared_ptr<const TViewFont> font_;
    TBvLines lines_;
    TDeriveKey rowsKey_;  // what the display lines on view were derived by

    // Work off this thread: the load running, or ended and waiting for its display lines (staged_);
    // the derivation running, for the staged text or else the view's own.
    std::unique_ptr<TBvJob> load_;
    std::function<void(TBvLoadFailure)> loadDone_;
    uint64_t loadRead_ = 0;
    TDeriveKey loadKey_;
    std::unique_ptr<TBvJob> staged_;
    std::unique_ptr<TBvJob> derive_;
    TDeriveKey deriveKey_;
    bool rowsPending_ = false;
    int holds_ = 0;
    bool endedInHold_ = false;
    long long rowsTaken_ = 0;
    std::thread disposer_;

    // Fields, in the order of the control's description.
    TBvFrame frame_;  // BvStyle and the caption
    bool caret_ = false;
    TColor crColor_ = clAqua;
    bool crMark_ = false;
    TBvScreenMap map_;
    TColor mapBrush_ = 0;  // the map canvas's brush colour
    int lineHeight_ = 14;
    int charWidth_ = 6;
    int viewLineStart_ = 0;
    int viewLineEnd_ = 0;
    int viewLines_ = 0;
    bool scOver_ = false;
    TBvPosHistory scVPos_;
    TBvPosHistory scHPos_;
    TBvScrollAccel accel_;  // ScrollSense, ScrollStep, SuccessionCount, LastScrollTick
    TScrollStyle scrollBar_ = ssNone;
    int paintCount_ = 0;
    int pCanLimit_ = 0;
    std::shared_ptr<const TBvFind> marks_;
    TBvSelection sel_{lines_};  // SelStart, SelEnd, the caret's position, Select, the drag
    bool mapLock_ = false;
    TColor color_;
    TColor fontColor_ = clBlack;

    int vRangeMax_ = 1;  // the scroll bars' ranges, kept here so that they hold without a bar
    int hRangeMax_ = 0;
    bool inPaint_ = false;
    bool presentSuppressed_ = false;
    long long paintCalls_ = 0;

    TBvCaret caretObj_;
    QTimer* caretTimer_ = nullptr;
    QScrollBar* vBar_ = nullptr;
    QScrollBar* hBar_ = nullptr;
    QPointer<QMenu> popupMenu_;
    bool inDragLoop_ = false;

    // --- pointing (BigViewMouse.cpp) ---
    // Moves SelEnd to p and brings the map up to date: when the map is known to show the
    // selection as it was, only the difference is inverted, else the map is redrawn.
    void MoveSelEnd(TDispPos p);
    // Lets events in until the next screen frame is due, or until the drag ends.
    void WaitForNextFrame();
    void EndDrag();
    class QEventLoop* frameWait_ = nullptr;
};
