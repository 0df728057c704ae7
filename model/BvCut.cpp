#include "model/BvCut.h"

#include <cstring>

TBvCutRule::TBvCutRule(const TBvMeasure& measure, TBvEncoding encoding, int64_t tabDistance, int wrapByte)
    : map(measure, encoding, tabDistance),
      wrapByte(wrapByte),
      clientWidth(measure.ClientWidth()),
      xWidth(measure.TabbedTextWidth(encoding, "x", 1, tabDistance)),
      charWidth(measure.CharWidth()),
      uniformWidth(measure.UniformCellWidth())
{
}

namespace bvcut {

int64_t FitBytes(const uint8_t* s, size_t len, const TBvCutRule& r)
{
    // Widths of the line's prefixes: by multiplication where every byte measures the same.
    const auto* c = reinterpret_cast<const char*>(s);
    const bool uniform = r.uniformWidth > 0 && !std::memchr(s, '\t', len);
    auto width = [&](int64_t n) { return uniform ? n * r.uniformWidth : r.map.X(c, size_t(n)); };
    return PixelFit(int64_t(len), width(int64_t(len)), r, width);
}

int64_t FitColumns(const uint8_t* s, size_t len, const TBvCutRule& r)
{
    const TBvEncoding enc = r.map.Encoding();
    const uint8_t* cells = unicode::BmpCells();
    if (r.uniformWidth > 0 && !std::memchr(s, '\t', len)) {
        // Every column the same width: the line fits when its columns do, and otherwise the fit
        // does not depend on how many more there are, so the count stops one past the fit.
        const int64_t limit = r.clientWidth >= 0 ? r.clientWidth / r.uniformWidth : -1;
        int64_t cols = 0;
        for (size_t i = 0; i < len && cols <= limit;) {
            const TStep st = Step(enc, s + i, len - i, cells);
            cols += st.cells;
            i += st.bytes;
        }
        if (cols <= limit) return cols;
        const int64_t units = limit + 1;
        return PixelFit(units, units * r.uniformWidth, r, [&](int64_t g) { return g * r.uniformWidth; });
    }
    // The width of the first g columns: the characters within them, and a cell for the first
    // byte of a character that would be cut, as a cut byte measures.
    const auto* c = reinterpret_cast<const char*>(s);
    auto width = [&](int64_t g) {
        int64_t cols = 0;
        size_t i = 0;
        while (i < len) {
            const TStep st = Step(enc, s + i, len - i, cells);
            if (cols + st.cells > g) break;
            cols += st.cells;
            i += st.bytes;
        }
        return r.map.X(c, i) + (cols < g && i < len ? r.charWidth : 0);
    };
    int64_t cols = 0;
    for (size_t i = 0; i < len;) {
        const TStep st = Step(enc, s + i, len - i, cells);
        cols += st.cells;
        i += st.bytes;
    }
    return PixelFit(cols, r.map.X(c, len), r, width);
}

}  // namespace bvcut
