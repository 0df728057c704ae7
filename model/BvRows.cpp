#include "model/BvRows.h"

#include <algorithm>

#include "model/BvArray.h"

const TBvRows::Segment& TBvRows::SegmentOf(int i) const
{
    const auto after =
        std::upper_bound(segs_.begin(), segs_.end(), i, [](int at, const Segment& s) { return at < s.first; });
    return *(after - 1);
}

void TBvRows::Grow() { Reserve(segs_.empty() || segs_.back().reserved < 64 ? 64 : segs_.back().reserved / 2); }

void TBvRows::Reserve(size_t n)
{
    if (segs_.empty()) segs_.push_back(Segment{});
    Segment& s = segs_.back();
    if (s.reserved - s.count >= n) return;
    const size_t want = s.count + n;
    s.rows = bvarray::Reallocate(s.rows, s.reserved, want, &s.big);
    s.reserved = want;
}

void TBvRows::Truncate(int n)
{
    if (n >= count_ && n > 0) return;
    // The segments from n on go whole; the one n falls in keeps its first rows.
    while (!segs_.empty() && segs_.back().first >= n) {
        Segment& s = segs_.back();
        bvarray::Reallocate(s.rows, s.reserved, 0, &s.big);
        segs_.pop_back();
    }
    if (!segs_.empty()) segs_.back().count = size_t(n - segs_.back().first);
    count_ = n;
}

void TBvRows::Append(TBvRows&& other)
{
    if (other.count_ == 0) return;
    // A last segment with nothing in it goes; its room is of no use between two others.
    if (!segs_.empty() && segs_.back().count == 0) {
        bvarray::Reallocate(segs_.back().rows, segs_.back().reserved, 0, &segs_.back().big);
        segs_.pop_back();
    }
    for (Segment& s : other.segs_) {
        if (s.count == 0) {
            bvarray::Reallocate(s.rows, s.reserved, 0, &s.big);
            continue;
        }
        s.first += count_;
        segs_.push_back(s);
    }
    count_ += other.count_;
    other.segs_.clear();
    other.count_ = 0;
}

TBvPiece TBvRows::Piece(int i) const
{
    const TBvRow r = At(i);
    const int org = r.Org();
    if (Cr(i)) {
        if (r.ToEnd()) return {org, r.Value(), -1, true};
        const int len = r.Value();
        const int fit = r.Short() ? 1 : len;  // only a piece cut at one byte can be shortened and last
        if (i == 0 || At(i - 1).Org() != org) return {org, len > 0 ? 1 : 0, len, true};
        const TBvRow p = At(i - 1);
        return {org, p.Value() + PieceLen(fit, p.Short()), len, true};
    }
    const TBvRow n = At(i + 1);
    const bool lastByBytes = Cr(i + 1) && !n.ToEnd();
    const int len = lastByBytes ? PieceLen(n.Short() ? 1 : n.Value(), r.Short()) : n.Value() - r.Value();
    return {org, r.Value(), len, false};
}
