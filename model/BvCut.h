#pragma once
// Cutting one file line into display lines: the piece size from the pixel fit or the fixed
// count, and the character rule that no piece ends inside a character. A function of the line,
// the measure and the encoding alone, so that lines may be cut on several threads at once.
//
// Sizes count columns: half-width cells, a full-width character taking two and a character of
// zero width none. In code page 932 a column is a byte; in the other encodings a byte count is
// no column count (a kanji has three bytes in UTF-8), and counting columns cuts a text where its
// code page 932 twin is cut.
#include <cstddef>
#include <cstdint>

#include "model/BvMeasure.h"
#include "model/BvTypes.h"

// What a derivation cuts by, read once for all its lines.
struct TBvCutRule {
    TBvRowMap map;
    int wrapByte;         // above 0: pieces of this many columns
    int64_t clientWidth;  // the pixel fit's width
    int64_t xWidth;       // the width of "x"
    int64_t charWidth;
    int uniformWidth;     // the measure's uniform cell width; 0 when it has none

    TBvCutRule(const TBvMeasure& measure, TBvEncoding encoding, int64_t tabDistance, int wrapByte);
};

namespace bvcut {

// The pixel fit: the piece size in units (bytes or columns) for a line of `units` units and
// width w, width(g) giving the width of its first g units. From an estimate by the mean unit
// width, corrected one unit at a time until the first reversal of direction.
template <class Width>
int64_t PixelFit(int64_t units, int64_t w, const TBvCutRule& r, Width&& width)
{
    int64_t cw = r.clientWidth;
    if (units == 0 || w <= cw) return units;
    if (cw < r.xWidth) cw = r.xWidth;
    int64_t avg = w / units;
    if (avg == 0) avg = 1;  // units that draw with no width
    int64_t g = cw / avg;
    bool grew = false, shrank = false;
    const int64_t margin = 2 * r.charWidth;
    for (;;) {
        if (w <= cw - margin) ++g;
        if (w > cw) --g;
        if (g < 1) g = 1;
        if (g > units) g = units;
        const int64_t prev = w;
        w = width(g);
        if (w > prev) grew = true;
        else shrank = true;
        if (w == prev || (grew && shrank) || (cw - margin < w && w < cw)) break;
    }
    // The search may stop one unit after a reversal with a piece wider than the client, whose
    // last characters no scroll bar would reach: take units off until it fits.
    while (g > 1 && w > cw) w = width(--g);
    return g;
}

// The piece size in bytes of a line whose bytes are its columns.
int64_t FitBytes(const uint8_t* s, size_t len, const TBvCutRule& r);
// The piece size in columns of any line.
int64_t FitColumns(const uint8_t* s, size_t len, const TBvCutRule& r);

// The bytes and columns of the character at p (n > 0 bytes remain).
struct TStep {
    uint32_t bytes;
    uint32_t cells;
};
inline TStep Step(TBvEncoding enc, const uint8_t* p, size_t n, const uint8_t* bmpCells)
{
    const uint8_t b = p[0];
    if (b < 0x80 && enc.kind() != TBvEncoding::Cp932) return {1, 1};
    // The three-byte UTF-8 sequences without range exceptions, which kana and kanji are in.
    if (enc.kind() == TBvEncoding::Utf8 && b >= 0xE1 && b <= 0xEF && b != 0xED && n >= 3 &&
        utf8::IsContinuation(p[1]) && utf8::IsContinuation(p[2]))
        return {3, bmpCells[char32_t(b & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F)]};
    const TBvChar c = enc.At(p, n);
    return {c.bytes, c.cells};
}

}  // namespace bvcut

// Cuts a non-empty line into pieces and calls piece(pos, n) for each in order: pos the 1-based
// byte where it starts, n its bytes. The last piece's n may run past the line's end where the
// size was a byte count.
template <class Piece>
void CutLine(const uint8_t* s, int len, const TBvCutRule& rule, Piece&& piece)
{
    const TBvEncoding enc = rule.map.Encoding();
    if (enc.BytesAreCells(s, size_t(len))) {
        // Every piece has the fit's size, less the first byte of a character that would be cut;
        // a piece that would be left with none takes that whole character.
        const int64_t fit64 = rule.wrapByte > 0 ? rule.wrapByte : bvcut::FitBytes(s, size_t(len), rule);
        const int fit = int(fit64);
        int pos = 1;
        while (pos <= len) {
            int n = fit;
            const size_t next = size_t(pos) + size_t(n);  // the piece's first byte after, 1-based
            if (next <= size_t(len) && !enc.IsCharStart(s, size_t(len), size_t(pos) - 1, next - 1)) {
                --n;
                if (n < 1) n = int(enc.CharLen(s + pos - 1, size_t(len - pos + 1)));
            }
            piece(pos, n);
            pos = AddWrap(pos, n);
            if (pos < 1) break;  // a piece size beyond any line: nothing follows
        }
        return;
    }
    // Every piece takes the characters that fit in the fit's columns, and at least one; a
    // character of zero width goes with the one before it.
    const int64_t fit = rule.wrapByte > 0 ? rule.wrapByte : bvcut::FitColumns(s, size_t(len), rule);
    const uint8_t* cells = unicode::BmpCells();
    size_t i = 0;
    while (i < size_t(len)) {
        int64_t cols = 0;
        size_t j = i;
        while (j < size_t(len)) {
            const bvcut::TStep st = bvcut::Step(enc, s + j, size_t(len) - j, cells);
            if (st.cells > 0 && cols + st.cells > fit && j > i) break;
            cols += st.cells;
            j += st.bytes;
        }
        piece(int(i) + 1, int(j - i));
        i = j;
    }
}
