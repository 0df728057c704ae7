#include "model/BvLines.h"

#include <algorithm>
#include <cstdio>

#include "platform/Cp932.h"
#include "platform/Exception.h"

void TBvLines::IndexError(int index)
{
    char msg[128];
    std::snprintf(msg, sizeof msg, IndexErrorFormat, index);
    throw Exception(msg);
}

TBvInfo TBvLines::Info(int index) const
{
    const TBvPiece p = Piece(index);
    int sub = 0;
    while (index - sub > 0 && rows_.At(index - sub - 1).Org() == p.OrgIndex) ++sub;
    return {p.OrgIndex, p.OrgPos, p.Len, sub, p.Cr};
}

std::string_view TBvLines::Bytes(int index) const
{
    const TBvPiece r = Piece(index);
    if (r.OrgPos < 1) return {};
    const std::string_view line = store_.View(r.OrgIndex);
    const size_t from = size_t(r.OrgPos) - 1;
    if (from >= line.size()) return {};
    return line.substr(from, size_t(r.Len));
}

TBvText TBvLines::Get(int index) const
{
    const TBvPiece r = Piece(index);
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

void TBvLines::CalcBvLines(int fromOrg)
{
    const int i = ConvertIndexFromOrg(fromOrg);
    TBvDeriver deriver(store_, wrap_, measure_, fromOrg);
    TBvRows rows;
    int widest = 0;
    deriver.Finish(rows, widest);
    rows_.Truncate(i);
    rows_.Append(std::move(rows));
    widest_ = fromOrg <= 0 ? widest : 0;
}

void TBvLines::Adopt(TBvRows& rows, const TBvWrap& wrap, int widest)
{
    rows_.Swap(rows);
    wrap_ = wrap;
    widest_ = widest;
}

// The first display line of file line org: display lines are in file-line order and every file
// line has at least one, so it lies at org or after it.
int TBvLines::ConvertIndexFromOrg(int org) const
{
    if (org < 0) IndexError(org);
    const int c = FirstRowFrom(org);
    return c < rows_.Count() && rows_.At(c).Org() == org ? c : rows_.Count();
}

int TBvLines::FirstRowFrom(int org) const
{
    int lo = std::min(org, rows_.Count()), hi = rows_.Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rows_.At(mid).Org() < org) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

int TBvLines::ConvertIndexToOrg(int index) const
{
    if (index < 0 || index >= rows_.Count()) return -1;
    return rows_.At(index).Org();
}

TOrgPos TBvLines::ToOrg(TDispPos p) const
{
    if (p.Y < 0 || p.Y >= rows_.Count()) return {0, 0};
    const TBvPiece r = Piece(p.Y);
    return {AddWrap(r.OrgPos, AddWrap(p.X, -1)), r.OrgIndex};
}

TDispPos TBvLines::FromOrg(TOrgPos p) const
{
    const int count = rows_.Count();
    int c = ConvertIndexFromOrg(p.Y);
    if (c == count) return {1, count};
    // The piece the byte lies in: the last of the line's pieces that starts at or before it.
    int last = FirstRowFrom(p.Y + 1) - 1;
    while (c < last) {
        const int mid = c + (last - c + 1) / 2;
        if (Piece(mid).OrgPos <= p.X) c = mid;
        else last = mid - 1;
    }
    const int64_t x = int64_t(p.X) - Piece(c).OrgPos + 1;
    if (x < 1) return {0, 0};
    return {int(x), c};
}

TBvFollowUp TBvLines::SetWordWrap(bool b)
{
    if (b == wrap_.wordWrap) return TBvFollowUp::None;
    wrap_.wordWrap = b;
    CalcBvLines(0);
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetWrapByte(int n)
{
    if (n < 0 || n == wrap_.wrapByte) return TBvFollowUp::None;
    wrap_.wrapByte = n;
    CalcBvLines(0);
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetViewTabStop(int n)
{
    if (n < 0 || n == wrap_.viewTabStop) return TBvFollowUp::None;
    wrap_.viewTabStop = n;
    return TBvFollowUp::MapUpdate;
}

TBvFollowUp TBvLines::SetMaxChar(int n)
{
    if (n < 1) n = 1;
    if (n == maxChar_) return TBvFollowUp::None;
    maxChar_ = n;
    return TBvFollowUp::MapResize;
}
