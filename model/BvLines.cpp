#include "model/BvLines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/BvArray.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"

namespace {

// 32-bit wrap-around arithmetic for positions handed in from outside.
int AddWrap(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }

}  // namespace

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

int64_t TBvLines::TabbedTextWidth(const char* s, size_t n) const
{
    return measure_.TabbedTextWidth(s, n, int64_t(measure_.CharWidth()) * viewTabStop_);
}

int TBvLines::IsStrLeadBytePos(const TBvText& s, int pos)
{
    if (pos < 1 || size_t(pos) > s.size()) return 0;
    int kind = 0;
    for (int i = 1; i <= pos; ++i) kind = kind == 1 ? 2 : (cp932::IsLeadByte(s[size_t(i) - 1]) ? 1 : 0);
    return kind;
}

// The pixel fit: the piece size for a line wider than the client area, from an estimate by
// the mean byte width, corrected one byte at a time until the first reversal of direction.
int TBvLines::PixelFit(const TBvText& line) const
{
    const int len = int(line.size());
    // Widths of the line's prefixes: by multiplication where every byte measures the same.
    const bool uniform = uniformWidth_ > 0 && !std::memchr(line.data(), '\t', line.size());
    auto width = [&](size_t n) { return uniform ? int64_t(n) * uniformWidth_ : TabbedTextWidth(line.data(), n); };
    int64_t cw = clientWidth_;
    int64_t w = width(line.size());
    if (w <= cw) return len;
    if (cw < xWidth_) cw = xWidth_;
    int64_t avg = w / len;
    if (avg == 0) avg = 1;  // bytes that draw with no width
    int64_t g = cw / avg;
    bool grew = false, shrank = false;
    const int64_t margin = 2 * int64_t(measure_.CharWidth());
    for (;;) {
        if (w <= cw - margin) ++g;
        if (w > cw) --g;
        if (g < 1) g = 1;
        if (g > len) g = len;
        const int64_t prev = w;
        w = width(size_t(g));
        if (w > prev) grew = true;
        else shrank = true;
        if (w == prev || (grew && shrank) || (cw - margin < w && w < cw)) break;
    }
    // The search may stop one byte after a reversal with a piece wider than the client, whose
    // last bytes no scroll bar would reach: take bytes off until it fits.
    while (g > 1 && w > cw) w = width(size_t(--g));
    return int(g);
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
    xWidth_ = TabbedTextWidth("x", 1);
    uniformWidth_ = measure_.UniformByteWidth();
    clientWidth_ = measure_.ClientWidth();
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
        // The pixel fit depends on the line alone: one size for all its pieces.
        const int fit = wrapByte_ > 0 ? wrapByte_ : PixelFit(line);
        int pos = 1, k = 0;
        while (pos <= len) {
            int n = fit;
            // Never end a piece on a lead byte whose trail byte is on the next piece.
            // No piece starts on a trail byte, so the walk may start afresh at the piece.
            const size_t next = size_t(pos) + size_t(n);
            if (next <= line.size() && cp932::IsTrailAt(line.bytes(), size_t(pos), next)) {
                --n;
                if (n < 1) n = 2;
            }
            Put(i++, TBvInfo{a, pos, n, k, false});
            pos = AddWrap(pos, n);
            if (pos < 1) break;  // a piece size beyond any line: nothing follows
            ++k;
        }
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
