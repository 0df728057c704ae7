#include "model/BvCut.h"

#include <cstring>

TBvCutRule::TBvCutRule(const TBvMeasure& measure, TBvEncoding encoding, int64_t tabDistance, int fixedColumns)
    : map(measure, encoding, tabDistance), wrapByte(fixedColumns), clientWidth(measure.ClientWidth()),
      xWidth(measure.TabbedTextWidth(encoding, "x", 1, tabDistance)), charWidth(measure.CharWidth()),
      uniformWidth(measure.UniformCellWidth())
{
    if (uniformWidth <= 0 || clientWidth < 0) return;
    uniformLimit = clientWidth / uniformWidth;
    // A line one column past the limit: the fit is that of every longer line too, since the
    // search's steps never reach the line's end.
    const int64_t units = uniformLimit + 1;
    uniformFit = bvcut::PixelFit(units, units * uniformWidth, *this, [&](int64_t g) { return g * uniformWidth; });
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
    const uint8_t* three = unicode::ThreeByteCells();
    // The width of the first g columns: the characters within them, and a cell for the first
    // byte of a character that would be cut, as a cut byte measures.
    const auto* c = reinterpret_cast<const char*>(s);
    auto width = [&](int64_t g) {
        int64_t cols = 0;
        size_t i = 0;
        while (i < len) {
            const TStep st = Step(enc, s + i, len - i, three);
            if (cols + st.cells > g) break;
            cols += st.cells;
            i += st.bytes;
        }
        return r.map.X(c, i) + (cols < g && i < len ? r.charWidth : 0);
    };
    int64_t cols = 0;
    for (size_t i = 0; i < len;) {
        const TStep st = Step(enc, s + i, len - i, three);
        cols += st.cells;
        i += st.bytes;
    }
    return PixelFit(cols, r.map.X(c, len), r, width);
}

}  // namespace bvcut
