#pragma once
// The selection of a view and its rules, without a widget: where it starts and ends, where the
// caret stands, whether the user may select, and what the pointer's presses, double clicks and
// drags do to it. Positions are display positions (1-based column, 0-based display line) and
// are always kept within the display lines the selection was made over.
#include <cstdint>
#include <utility>

#include "model/BvEncoding.h"
#include "model/BvText.h"
#include "model/BvTypes.h"

class TBvLines;

// The press a button-down belongs to: the first of a click, or the second of a double click.
enum class TClickKind : uint8_t { Single, Double };

// What a press of the left button asks of the view.
enum class TPressAction : uint8_t {
    None,    // nothing (the second press of a double click while selecting is off)
    Anchor,  // an empty selection at the point; a drag selection follows when selecting is on
    Word,    // the word or character at the point
};

class TBvSelection {
public:
    explicit TBvSelection(const TBvLines& lines) : lines_(lines) {}

    TDispPos Start() const { return start_; }
    TDispPos End() const { return end_; }
    TDispPos Caret() const { return caret_; }
    bool Empty() const { return start_ == end_; }
    // The Select property: whether the pointer selects at all.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool b) { enabled_ = b; }

    // p limited to the display lines: to the last line, to column len + 1, and to (0, 0) when
    // there are none.
    TDispPos Normalise(TDispPos p) const;
    void SetStart(TDispPos p) { start_ = Normalise(p); }
    // The end carries the caret with it.
    void SetEnd(TDispPos p);
    void SetCaret(TDispPos p) { caret_ = Normalise(p); }
    // An empty selection (and the caret) at p.
    void Anchor(TDispPos p);
    // After the display lines changed: every position limited to them; valid ones stay.
    void Limit();
    // The top line moved to show top..bottom: an empty selection moves into those lines (a
    // selection the user made stays where it is); the caret goes to the end.
    void FollowView(int top, int bottom);
    // After a horizontal scroll: the caret goes to the end of a selection, else stays.
    void CaretToEnd() { caret_ = Normalise(Empty() ? caret_ : end_); }

    // --- the pointer ---
    TClickKind ClickKind() const { return kind_; }
    // A button goes down; left says whether it is the left one. Every press ends a double click.
    TPressAction Press(bool left);
    // A click (press and release over the view) was completed; the next press is a first one.
    void Click() { kind_ = TClickKind::Single; }
    // The second press of a double click: the press that follows selects a word.
    void DoubleClick() { kind_ = TClickKind::Double; }
    bool Dragging() const { return dragging_; }
    // The pointer moved to (x, y) of the client area: noted for the next pass of a drag; false
    // when no drag is on.
    bool DragTo(int x, int y);
    int DragX() const { return dragX_; }
    int DragY() const { return dragY_; }
    void EndDrag() { dragging_ = false; }
    // One pass of a drag with the pointer at the noted point: the display lines (-1, 0, 1) and
    // the horizontal steps (-1, 0, 1) to scroll. It scrolls down only while the last display
    // line is below the view (lastLineShown false); up even at the first line, so that the
    // passes go on while the pointer is above.
    struct TDragScroll {
        int lines = 0;
        int columns = 0;
        bool Any() const { return lines != 0 || columns != 0; }
    };
    TDragScroll DragScroll(int clientWidth, int clientHeight, bool lastLineShown) const;

    // --- the word of a double click ---
    // The span [first, last) of columns the double click at byte column x of line selects: a
    // character of several bytes (with what joins it); a run of word bytes (ASCII letters,
    // digits, '_'), each a character of its own; or one other byte. Past the line's end, the
    // empty column there.
    static std::pair<int, int> WordAt(const TBvText& line, TBvEncoding enc, int x);
    // Selects the word at p (a byte position): false, changing nothing, when selecting is off,
    // there are no display lines, or p is no column.
    bool SelectWord(TPoint p);

private:
    const TBvLines& lines_;
    TDispPos start_;
    TDispPos end_;
    TDispPos caret_;
    bool enabled_ = true;
    bool dragging_ = false;
    TClickKind kind_ = TClickKind::Single;
    int dragX_ = 0;
    int dragY_ = 0;
};
