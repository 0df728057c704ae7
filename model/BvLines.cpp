#include "model/BvLines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/BvArray.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"

TBvLines::~TBvLines() { bvarray::Reallocate(infos_, reserved_, 0, &bigArray_); }

void TBvLines::IndexError(int index)
{
    char msg[128];
    std::snprintf(msg, sizeof msg, IndexErrorFormat, index);
    throw Exception(msg);
}

TBvText TBvLines::Get(int index) const
{
    const TBvInfo& r = Info(index);
    if (r.OrgPos < 1) return TBvText();
    return store_.Get(r.OrgIndex).Mid(size_t(r.OrgPos) - 1, size_t(r.Len));
}

int TBvLines::IsStrLeadBytePos(const TBvText& s, int pos)
{
    if (pos < 1 || size_t(pos) > s.size()) return 0;
    int kind = 0;
    for (int i = 1; i <= pos; ++i) kind = kind == 1 ? 2 : (cp932::IsLeadByte(s[size_t(i) - 1]) ? 1 : 0);
    return kind;
}

namespace {
constexpr int kPrefaultFromLines = 1 << 18;
}  // namespace

void TBvLines::Reserve(size_t n)
{
    if (n <= reserved_) return;
    infos_ = bvarray::Reallocate(infos_, reserved_, n, &bigArray_);
    reserved_ = n;
}

void TBvLines::Put(int index, const TBvInfo& info)
{
    if (index == count_) {
        if (size_t(count_) == reserved_) Grow();
        ++count_;
    }
    infos_[index] = info;
    if (prefault_ && (index & 0xFFFF) == 0) prefault_->Progress(size_t(index) * sizeof(TBvInfo));
}

void TBvLines::Grow()
{
    // The records may move: the prefaulter follows them.
    const bool prefaulting = prefault_ && prefault_->Running();
    if (prefaulting) prefault_->Stop();
    Reserve(std::max<size_t>(64, reserved_ + reserved_ / 2));
    if (prefaulting && bigArray_) prefault_->Start(infos_, reserved_ * sizeof(TBvInfo), size_t(count_) * sizeof(TBvInfo));
}

void TBvLines::CalcBvLines(int fromOrg)
{
    int i = ConvertIndexFromOrg(fromOrg);
    const TBvCutRule rule(measure_, Encoding(), int64_t(measure_.CharWidth()) * viewTabStop_, wrapByte_);
    if (reserved_ < size_t(store_.Capacity())) Reserve(size_t(store_.Capacity()));
    const int lines = store_.Count();
    // A long derivation writes hundreds of megabytes of records: the second core faults their
    // pages in ahead of it.
    bvarray::TPrefaulter prefault;
    struct Detach {
        TBvLines* lines;
        ~Detach() { lines->prefault_ = nullptr; }
    } detach{this};
    if (bigArray_ && lines - fromOrg >= kPrefaultFromLines) {
        prefault_ = &prefault;
        prefault.Start(infos_, reserved_ * sizeof(TBvInfo), size_t(i) * sizeof(TBvInfo));
    }
    for (int a = fromOrg; a < lines; ++a) {
        const TBvText& line = store_.Get(a);
        const int len = int(line.size());
        if (!wordWrap_) {
            Put(i++, TBvInfo{a, len ? 1 : 0, len, 0, true});
            continue;
        }
        if (len == 0) {
            Put(i++, TBvInfo{a, 0, 0, 0, true});
            continue;
        }
        int k = 0;
        CutLine(line.bytes(), len, rule, [&](int pos, int n) { Put(i++, TBvInfo{a, pos, n, k++, false}); });
        infos_[i - 1].Cr = true;
    }
    count_ = std::min(count_, i);  // the surplus records at the end go
}

int TBvLines::ConvertIndexFromOrg(int org) const
{
    int c = org;
    while (c <= count_ - 1 && Info(c).OrgIndex != org) ++c;
    return c > count_ ? count_ : c;
}

int TBvLines::ConvertIndexToOrg(int index) const
{
    if (index < 0 || index >= count_) return -1;
    return infos_[index].OrgIndex;
}

TOrgPos TBvLines::ToOrg(TDispPos p) const
{
    if (p.Y < 0 || p.Y >= count_) return {0, 0};
    const TBvInfo& r = infos_[p.Y];
    return {AddWrap(r.OrgPos, AddWrap(p.X, -1)), r.OrgIndex};
}

TDispPos TBvLines::FromOrg(TOrgPos p) const
{
    int c = ConvertIndexFromOrg(p.Y);
    if (c == count_) return {1, count_};
    while (c + 1 < count_ && infos_[c + 1].OrgIndex == p.Y && infos_[c + 1].OrgPos <= p.X) ++c;
    const int64_t x = int64_t(p.X) - infos_[c].OrgPos + 1;
    if (x < 1) return {0, 0};
    return {int(x), c};
}

TBvFollowUp TBvLines::SetWordWrap(bool b)
{
    if (b == wordWrap_) return TBvFollowUp::None;
    wordWrap_ = b;
    CalcBvLines(0);
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetWrapByte(int n)
{
    if (n < 0 || n == wrapByte_) return TBvFollowUp::None;
    wrapByte_ = n;
    CalcBvLines(0);
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetViewTabStop(int n)
{
    if (n < 0 || n == viewTabStop_) return TBvFollowUp::None;
    viewTabStop_ = n;
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetMaxChar(int n)
{
    if (n < 1) n = 1;
    if (n == maxChar_) return TBvFollowUp::None;
    maxChar_ = n;
    return TBvFollowUp::MapResize;
}
