#include "bigview/BvSelection.h"

#include "model/BvLines.h"

namespace {

bool IsWordByte(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

TDispPos TBvSelection::Normalise(TDispPos p) const
{
    const int count = lines_.GetCount();
    if (p.Y >= count) p.Y = count - 1;
    if (p.Y < 0) return {0, 0};
    const int len = int(lines_.Get(p.Y).size());
    if (p.X > len + 1) p.X = len + 1;
    if (p.X < 0) p.X = 0;
    return p;
}

void TBvSelection::SetEnd(TDispPos p)
{
    end_ = Normalise(p);
    caret_ = end_;
}

void TBvSelection::Anchor(TDispPos p)
{
    SetStart(p);
    SetEnd(start_);
}

void TBvSelection::Limit()
{
    start_ = Normalise(start_);
    end_ = Normalise(end_);
    caret_ = Normalise(caret_);
}

void TBvSelection::FollowView(int top, int bottom)
{
    if (!Empty()) {
        caret_ = Normalise(end_);
        return;
    }
    TDispPos p = end_;
    if (p.Y < top) p.Y = top;
    else if (p.Y > bottom) p.Y = bottom;
    SetEnd(p);
    SetStart(p);
}

TPressAction TBvSelection::Press(bool left)
{
    TPressAction a = TPressAction::None;
    if (left && kind_ == TClickKind::Single) {
        dragging_ = enabled_;
        a = TPressAction::Anchor;
    } else if (left && enabled_) {
        a = TPressAction::Word;
    }
    kind_ = TClickKind::Single;
    return a;
}

bool TBvSelection::DragTo(int x, int y)
{
    if (!dragging_) return false;
    dragX_ = x;
    dragY_ = y;
    return true;
}

TBvSelection::TDragScroll TBvSelection::DragScroll(int clientWidth, int clientHeight, bool lastLineShown) const
{
    TDragScroll s;
    if (dragY_ < 0) s.lines = -1;
    if (dragY_ > clientHeight && !lastLineShown) s.lines = 1;
    if (dragX_ < 0) s.columns = -1;
    if (dragX_ > clientWidth) s.columns = 1;
    return s;
}

std::pair<int, int> TBvSelection::WordAt(const TBvText& line, TBvEncoding enc, int x)
{
    const int len = int(line.size());
    const uint8_t* b = line.bytes();
    // The character the byte lies in: a walk from the piece's start, which starts one.
    int start = 0;
    while (start < len) {
        const int next = start + int(enc.ClusterLen(b + start, size_t(len - start)));
        if (next >= x) break;
        start = next;
    }
    if (start >= len) return {x, x + 1};
    const int chars = int(enc.ClusterLen(b + start, size_t(len - start)));
    int first = start + 1;
    int last = first + chars;
    if (chars == 1 && IsWordByte(b[start])) {
        // A run of word bytes, each a character of its own. Leftwards a word byte may be the
        // second byte of a two-byte character; rightwards the walk passes only characters.
        while (first > 1 && IsWordByte(b[first - 2]) && enc.IsCharStart(b, size_t(len), 0, size_t(first) - 2)) --first;
        last = x;
        while (last < len && IsWordByte(b[last]) && enc.ClusterLen(b + last, size_t(len - last)) == 1) ++last;
        last += 1;
    }
    return {first, last};
}

bool TBvSelection::SelectWord(TPoint p)
{
    if (!enabled_ || lines_.GetCount() <= 0 || p.X <= 0) return false;
    const auto [first, last] = WordAt(lines_.Get(p.Y), lines_.Encoding(), p.X);
    SetStart(TDispPos(TPoint{first, p.Y}));
    SetEnd(TDispPos(TPoint{last, p.Y}));
    return true;
}
