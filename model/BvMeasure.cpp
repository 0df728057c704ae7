#include "model/BvMeasure.h"

void TBvMeasure::PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                              std::vector<int64_t>& out) const
{
    out.resize(n);
    for (size_t i = 0; i < n; ++i) out[i] = TabbedTextWidth(enc, s, i + 1, tabDistance);
}

// The widths come from PrefixWidths over pieces of the text, so the whole walk is linear and
// its memory bounded by the piece size, however long the line. That gives the very widths of
// measuring each prefix from the line's start because a piece never holds a tab (a tab's
// advance depends on the x it starts at; it is added here by the measure's own tab rule) and
// never starts inside a character, and the advance of every other character does not depend
// on x. A tab advances by the rule every measure keeps (TBvMeasure::TabbedTextWidth).
int TBvRowMap::Column(const char* s, int n, int64_t x, bool byteExact) const
{
    constexpr int kPiece = 4096;
    const auto* b = reinterpret_cast<const uint8_t*>(s);
    std::vector<int64_t> widths;
    int64_t left = 0;  // the x where the piece starts
    int pos = 0;
    int nextColumn = 0;  // the next candidate, 0-based
    while (pos < n) {
        if (s[pos] == '\t') {
            left += tabDistance_ > 0 ? (left / tabDistance_ + 1) * tabDistance_ - left : measure_.CharWidth();
            ++pos;
            nextColumn = pos;
            if (left >= x) return pos;
            continue;
        }
        int end = pos;
        while (end < n && s[end] != '\t' && end - pos < kPiece)
            end += int(encoding_.ClusterLen(b + end, size_t(n - end)));
        measure_.PrefixWidths(encoding_, s + pos, size_t(end - pos), tabDistance_, widths);
        for (int k = pos; k < end; ++k) {
            if (!byteExact && k != nextColumn) continue;
            if (!byteExact) nextColumn = k + int(encoding_.ClusterLen(b + k, size_t(n - k)));
            if (left + widths[size_t(k - pos)] >= x) return k + 1;
        }
        left += widths[size_t(end - pos - 1)];
        pos = end;
        nextColumn = pos;
    }
    return 0;
}
