// The content operations: each changes the line store, re-derives the display lines from the
// first file line it touched, then brings widths, ranges, selection, top line and map up to date
// in its own order.
#include <cstring>

#include "bigview/Bigview.h"

void TBigView::Widen(int start, int count)
{
    mapLock_ = true;
    CalcMapWidth(start, count);
    CalcScrollRange();
    mapLock_ = false;
}

void TBigView::DropSelection()
{
    SetSelStart({0, 0});
    SetSelEnd(selStart_);
}

void TBigView::FillView()
{
    const long long e = (long long)viewLineStart_ + viewLines_ - 1;
    if (e > viewLineEnd_) SetViewLineEnd(int(e));
}

int TBigView::Add(const TBvText& s)
{
    store_.Add(s);
    CalcBvLines(GetCountOrg() - 1);
    const int r = GetCount();
    Widen(GetCount() - 1, 1);
    FillView();
    return r;
}

void TBigView::AddStrings(const std::vector<TBvText>& source)
{
    const int c = GetCountOrg();
    store_.AddStrings(source);
    CalcBvLines(c);
    const int k = int(source.size());
    Widen(GetCount() - k, k);
    const long long e = (long long)viewLineStart_ + viewLines_ - 1;
    if (e >= viewLineEnd_) SetViewLineEnd(int(e));
}

void TBigView::LinesAssign(const std::vector<TBvText>& source)
{
    store_.Assign(source);
    CalcBvLines(0);
    const int k = int(source.size());
    Widen(GetCount() - k, k);
    SetViewLineStart(0);
    DropSelection();
    FillView();
}

void TBigView::Clear()
{
    store_.Clear();
    CalcBvLines(0);
    CalcScrollRange();
    DropSelection();
    SetViewLineStart(0);
    MapClear();
}

void TBigView::CopyTo(std::vector<TBvText>& dest) const { store_.CopyTo(dest); }

void TBigView::Delete(int index)
{
    const int a = Info(index).OrgIndex;
    store_.Delete(a);
    CalcBvLines(a);
    CalcScrollRange();
    DropSelection();
    if (GetCount() - 1 < viewLineStart_) SetViewLineStart(GetCount() - 1);
    if (viewLineStart_ <= index && index <= viewLineEnd_) MapUpdate();
}

void TBigView::Exchange(int index1, int index2)
{
    const int a = Info(index1).OrgIndex, b = Info(index2).OrgIndex;
    const int from = Info(std::min(index1, index2)).OrgIndex;
    store_.Exchange(a, b);
    CalcBvLines(from);
    auto visible = [this](int i) { return viewLineStart_ <= i && i <= viewLineEnd_; };
    if (visible(index1) || visible(index2)) MapUpdate();
}

void TBigView::Insert(int index, const TBvText& s)
{
    const int a = Info(index).OrgIndex;
    store_.Insert(a, s);
    CalcBvLines(a);
    Widen(index, 1);
    if (index <= viewLineEnd_) MapUpdate();
}

void TBigView::Put(int index, const TBvText& s)
{
    const TBvInfo r = Info(index);
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
    store_.Put(a, next);
    CalcBvLines(a);
    CalcScrollRange();
    if (viewLineStart_ <= index && index <= viewLineEnd_) MapUpdate();
}

void TBigView::PutOrg(int index, const TBvText& s)
{
    store_.Put(index, s);
    MapUpdate();
}

int TBigView::IndexOf(const TBvText& s) const
{
    const int org = store_.IndexOf(s);
    return org < 0 ? -1 : ConvertIndexFromOrg(org);
}

// After a whole new text: show it from its first line with nothing selected.
void TBigView::ShowLoaded()
{
    CalcBvLines(0);
    Widen(0, GetCount());
    DropSelection();
    if (viewLineStart_ != 0) {
        MapClear();
        SetViewLineStart(0);
    } else {
        MapUpdate();
    }
}

void TBigView::LoadFromFile(const std::string& name)
{
    {
        // While the store fills, the display lines still describe the old text: a paint in
        // between copies the map as it is and draws nothing from the model.
        struct Lock {
            bool& lock;
            const bool was = lock;
            ~Lock() { lock = was; }
        } lock{mapLock_};
        mapLock_ = true;
        store_.LoadFromFile(name, OnLoadProgress);
    }
    ShowLoaded();
}

void TBigView::LoadFromStream(QIODevice& stream)
{
    store_.LoadFromStream(stream);
    ShowLoaded();
}

void TBigView::SaveToFile(const std::string& name) const { store_.SaveToFile(name); }
void TBigView::SaveToStream(QIODevice& stream) const { store_.SaveToStream(stream); }

void TBigView::SetTextBuf(const char* buffer)
{
    store_.SetTextStr(TBvText(buffer, std::strlen(buffer)));
    CalcBvLines(0);
    MapUpdate();
}
