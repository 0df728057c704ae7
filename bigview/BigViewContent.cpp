// The content operations: each changes the line store, re-derives the display lines from the
// first file line it touched, then brings widths, ranges, selection, top line and map up to date
// in its own order.
#include <cstring>
#include <optional>

#include "bigview/Bigview.h"
#include "model/BvLoad.h"

// A wider map holds columns that rows with tabs may reach into: callers redraw when it widened.
bool TBigView::Widen(int start, int count)
{
    TMapLock lock(*this);
    const bool widened = CalcMapWidth(start, count);
    CalcScrollRange();
    return widened;
}

void TBigView::DropSelection()
{
    SetSelStart({0, 0});
    SetSelEnd(sel_.Start());
}

void TBigView::FillView(bool orEqual)
{
    const long long e = (long long)viewLineStart_ + viewLines_ - 1;
    if (e > viewLineEnd_ || (orEqual && e == viewLineEnd_)) SetViewLineEnd(int(e));
}

// Lines added where the view showed empty rows below the text's end, or a whole new text,
// cannot be scrolled into place: the steps run without drawing, then the map is redrawn once.
template <class Steps>
void TBigView::RedrawAfter(bool redraw, Steps&& steps)
{
    {
        std::optional<TMapLock> lock;
        if (redraw) lock.emplace(*this);
        steps();
    }
    if (redraw) MapUpdate();
}

bool TBigView::TextEndsOnView() const { return int64_t(GetCount()) - 1 < int64_t(viewLineStart_) + viewLines_ - 1; }

int TBigView::Add(const TBvText& s)
{
    DropDerive();  // it reads the store, which changes now
    const bool endOnView = TextEndsOnView();
    store_.Add(s);
    CalcBvLines(GetCountOrg() - 1);
    const int r = GetCount();
    const bool widened = Widen(GetCount() - 1, 1);
    RedrawAfter(endOnView || widened, [&] { FillView(); });
    return r;
}

void TBigView::AddStrings(const std::vector<TBvText>& source)
{
    DropDerive();  // it reads the store, which changes now
    const bool endOnView = TextEndsOnView();
    const int c = GetCountOrg();
    store_.AddStrings(source);
    CalcBvLines(c);
    const int k = int(source.size());
    const bool widened = Widen(GetCount() - k, k);
    RedrawAfter(endOnView || widened, [&] { FillView(true); });
}

void TBigView::LinesAssign(const std::vector<TBvText>& source)
{
    DropDerive();  // it reads the store, which changes now
    store_.Assign(source);
    CalcBvLines(0);
    const int k = int(source.size());
    Widen(GetCount() - k, k);
    RedrawAfter(true, [&] {
        SetViewLineStart(0);
        DropSelection();
        FillView();
    });
}

void TBigView::Clear()
{
    DropDerive();
    // A large text is freed off this thread.
    TBvStrings old;
    old.Swap(store_);
    TBvRows none;
    lines_.Adopt(none, lines_.Wrap(), 0);
    Dispose(nullptr, &old, &none);
    CalcScrollRange();
    marks_.reset();
    DropSelection();
    SetViewLineStart(0);
    MapClear();
}

void TBigView::CopyTo(std::vector<TBvText>& dest) const { store_.CopyTo(dest); }

// A change to a file line that starts at or above the last row on view changes what the rows
// show (a file line above the view may now have more or fewer pieces): the map is redrawn.
void TBigView::Delete(int index)
{
    DropDerive();  // it reads the store, which changes now
    const int a = lines_.Piece(index).OrgIndex;
    // Dropping a selection the map shows changes the map too.
    const bool redraw = ConvertIndexFromOrg(a) <= viewLineEnd_ || !sel_.Empty();
    store_.Delete(a);
    CalcBvLines(a);
    CalcScrollRange();
    DropSelection();
    if (GetCount() - 1 < viewLineStart_) SetViewLineStart(GetCount() - 1);
    if (redraw) MapUpdate();
}

void TBigView::Exchange(int index1, int index2)
{
    DropDerive();  // it reads the store, which changes now
    const int a = lines_.Piece(index1).OrgIndex, b = lines_.Piece(index2).OrgIndex;
    const int from = lines_.Piece(std::min(index1, index2)).OrgIndex;
    const bool onOrAbove = ConvertIndexFromOrg(std::min(a, b)) <= viewLineEnd_;
    store_.Exchange(a, b);
    CalcBvLines(from);
    LimitToDisplayLines(true);  // lines replaced without re-deriving may now have other pieces
    if (onOrAbove) MapUpdate();
}

void TBigView::Insert(int index, const TBvText& s)
{
    DropDerive();  // it reads the store, which changes now
    const int a = lines_.Piece(index).OrgIndex;
    const bool onOrAbove = ConvertIndexFromOrg(a) <= viewLineEnd_;
    store_.Insert(a, s);
    CalcBvLines(a);
    if (Widen(index, 1) || onOrAbove) MapUpdate();
}

void TBigView::Put(int index, const TBvText& s)
{
    DropDerive();  // it reads the store, which changes now
    const TBvPiece r = lines_.Piece(index);
    const int a = r.OrgIndex;
    const TBvText line = store_.Get(a);
    // Replace the piece's bytes within its file line; the rest of the line stays.
    size_t from = 0, removed = 0;
    if (r.OrgPos > 0) {
        from = std::min(line.size(), size_t(r.OrgPos - 1));
        removed = std::min(line.size() - from, size_t(r.Len));
    }
    char* w;
    TBvText next = TBvText::Allocate(line.size() - removed + s.size(), &w);
    std::memcpy(w, line.data(), from);
    std::memcpy(w + from, s.data(), s.size());
    std::memcpy(w + from + s.size(), line.data() + from + removed, line.size() - from - removed);
    const bool onOrAbove = ConvertIndexFromOrg(a) <= viewLineEnd_;
    store_.Put(a, next);
    CalcBvLines(a);
    CalcScrollRange();
    if (onOrAbove) MapUpdate();
}

void TBigView::PutOrg(int index, const TBvText& s)
{
    DropDerive();  // it reads the store, which changes now
    store_.Put(index, s);
    LimitToDisplayLines(false);  // the selection stays within the new text
    MapUpdate();
}

int TBigView::IndexOf(const TBvText& s) const
{
    const int org = store_.IndexOf(s);
    return org < 0 ? -1 : ConvertIndexFromOrg(org);
}

// After a whole new text: show it from its first line with nothing selected. widest: the
// longest display line's byte count when the derivation gave it (else the lines are derived here).
void TBigView::ShowLoaded(int widest)
{
    if (widest < 0) {
        CalcBvLines(0);
        widest = lines_.Widest();
    } else {
        LimitToDisplayLines(false);
    }
    {
        // Widen(0, GetCount()), with the widest line known already.
        TMapLock lock(*this);
        if (widest > MaxChar()) {
            SetMaxChar(widest);
            TMapLock inner(*this);
            CalcScrollRange();
        }
        CalcScrollRange();
    }
    marks_.reset();
    DropSelection();
    // Moving the view up to the first line would scroll pixels of the old text into place.
    if (viewLineStart_ != 0) {
        MapClear();
        RedrawAfter(true, [&] { SetViewLineStart(0); });
    } else {
        MapUpdate();
    }
}

void TBigView::LoadFromFile(const std::string& name)
{
    DropDerive();
    const TDeriveKey key = WantedKey();
    auto job = std::make_unique<TBvJob>(TBvLoadSource(name, readCharset_), key.wrap, MeasureFor(key));
    job->Run();
    // A file that cannot be opened or read shows as an empty text; one that cannot be held raises.
    const TBvLoadFailure failure = job->Failure();
    if (failure == TBvLoadFailure::OutOfMemory) throw std::bad_alloc();
    if (!Shows(failure)) store_.Error();
    ShowText(*job, key, job->Rows(), job->Widest());
    Dispose(std::move(job));
}

void TBigView::LoadFromStream(QIODevice& stream)
{
    DropDerive();  // it reads the store, which changes now
    store_.LoadFromStream(stream);
    ShowLoaded();
}

void TBigView::SaveToFile(const std::string& name) const { store_.SaveToFile(name); }
void TBigView::SaveToStream(QIODevice& stream) const { store_.SaveToStream(stream); }

void TBigView::SetTextBuf(const char* buffer)
{
    DropDerive();  // it reads the store, which changes now
    store_.SetTextStr(TBvText(buffer, std::strlen(buffer)));
    CalcBvLines(0);
    LimitToDisplayLines(true);  // the top line stays unless the new text is shorter
    MapUpdate();
}

// Lines that came at the end of a file followed as it grows: its last line, which may have been
// cut short, is replaced by the first of them when replaceLast is set. The top line and the
// selection stay; rows appear below the text's end when it is on view.
void TBigView::AddTail(bool replaceLast, const std::vector<TBvText>& lines)
{
    DropDerive();  // it reads the store, which changes now
    const bool endOnView = TextEndsOnView();
    int from = GetCountOrg();
    size_t i = 0;
    if (replaceLast && from > 0 && !lines.empty()) store_.Put(--from, lines[i++]);
    if (i < lines.size()) store_.AddStrings(std::vector<TBvText>(lines.begin() + ptrdiff_t(i), lines.end()));
    CalcBvLines(from);
    const int first = ConvertIndexFromOrg(from);
    const bool widened = Widen(first, GetCount() - first);
    RedrawAfter(endOnView || widened || first <= viewLineEnd_, [&] { FillView(true); });
}
