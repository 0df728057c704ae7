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
#include <endian.h>

#include <algorithm>
#include <cstring>

#include "model/BvMeasure.h"
#include "model/BvTypes.h"

// What a derivation cuts by, read once for all its lines.
struct TBvCutRule {
    TBvRowMap map;
    int wrapByte;         // above 0: pieces of this many columns
    int64_t clientWidth;  // the pixel fit's width
    int64_t xWidth;       // the width of "x"
    int64_t charWidth;
    int uniformWidth;  // the measure's uniform cell width; 0 when it has none
    // With a uniform cell width the pixel fit of a line without tabs depends only on whether
    // the line fits: it does when it has at most uniformLimit columns, and is otherwise cut
    // into pieces of uniformFit columns. 0 without a uniform width.
    int64_t uniformLimit = 0;
    int64_t uniformFit = 0;

    TBvCutRule(const TBvMeasure& measure, TBvEncoding encoding, int64_t tabDistance, int fixedColumns);
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
// The piece size in columns of a line that holds a tab, or measured by a measure without a
// uniform cell width; the line's columns when it fits whole.
int64_t FitColumns(const uint8_t* s, size_t len, const TBvCutRule& r);

// The bytes and columns of the character at p (n > 0 bytes remain) in encoding K; three is
// unicode::ThreeByteCells().
struct TStep {
    uint32_t bytes;
    uint32_t cells;
};
template <TBvEncoding::Kind K>
inline TStep StepOf(const uint8_t* p, size_t n, const uint8_t* three)
{
    if (K == TBvEncoding::Utf8 && n >= 4) {
        // Four bytes read as one word, first byte highest: a three-byte sequence (kana and
        // kanji) checked and measured by one look-up, or ASCII.
        uint32_t w;
        std::memcpy(&w, p, 4);
        w = be32toh(w);
        if (w >> 28 == 0xE) {
            const uint8_t cells = three[(w >> 8) & 0xFFFFF];
            if (cells != 0xFF) return {3, cells};
        } else if (w < 0x80000000u) {
            return {1, 1};
        }
    }
    if (K != TBvEncoding::Cp932 && p[0] < 0x80) return {1, 1};
    const TBvChar c = TBvEncoding(K).At(p, n);
    return {c.bytes, c.cells};
}
inline TStep Step(TBvEncoding enc, const uint8_t* p, size_t n, const uint8_t* three)
{
    switch (enc.kind()) {
    case TBvEncoding::Cp932: return StepOf<TBvEncoding::Cp932>(p, n, three);
    case TBvEncoding::EucJp: return StepOf<TBvEncoding::EucJp>(p, n, three);
    case TBvEncoding::Utf8: break;
    }
    return StepOf<TBvEncoding::Utf8>(p, n, three);
}

// The end of the piece that starts at byte i (< len): the characters that fit in fit columns,
// and at least one; a character of zero width goes with the one before it. cols: the piece's
// columns.
template <TBvEncoding::Kind K>
inline size_t PieceEnd(const uint8_t* s, size_t len, size_t i, int64_t fit, const uint8_t* three, int64_t& cols)
{
    TStep st = StepOf<K>(s + i, len - i, three);
    size_t j = i + st.bytes;
    // The columns left; a first character wider than the fit leaves none.
    const int64_t over = std::max<int64_t>(int64_t(st.cells) - fit, 0);
    int64_t room = fit - int64_t(st.cells) + over;
    bool full = false;
    if constexpr (K == TBvEncoding::Utf8) {
        // The bulk of a line: two three-byte characters (kana and kanji) at a time, eight bytes
        // read as one word, while both fit.
        while (j + 8 <= len) {
            uint64_t w;
            std::memcpy(&w, s + j, 8);
            w = be64toh(w);
            if (w >> 60 != 0xE || (w >> 36 & 0xF) != 0xE) break;
            const uint32_t a = three[(w >> 40) & 0xFFFFF], b = three[(w >> 16) & 0xFFFFF];
            if (a == 0xFF || b == 0xFF || int64_t(a + b) > room) break;
            room -= a + b;
            j += 6;
        }
        // Then one character at a time, four bytes readable at each step: kana and kanji, ASCII.
        while (j + 4 <= len) {
            uint32_t w;
            std::memcpy(&w, s + j, 4);
            w = be32toh(w);
            uint32_t cells, bytes = 3;
            if (w >> 28 != 0xE || (cells = three[(w >> 8) & 0xFFFFF]) == 0xFF) {
                st = w < 0x80000000u ? TStep{1, 1} : StepOf<K>(s + j, len - j, three);
                cells = st.cells;
                bytes = st.bytes;
            }
            if (int64_t(cells) > room) {
                full = true;
                break;
            }
            room -= cells;
            j += bytes;
        }
    }
    while (!full && j < len) {
        st = StepOf<K>(s + j, len - j, three);
        if (int64_t(st.cells) > room) break;
        room -= st.cells;
        j += st.bytes;
    }
    cols = fit - room + over;
    return j;
}

// Cuts a line into pieces of fit columns. With limit at 0 or above, a line of at most limit
// columns is one piece: the walk of the first piece goes on to find out, so that the line is
// walked once.
template <TBvEncoding::Kind K, class Piece>
void CutColumns(const uint8_t* s, size_t len, int64_t fit, int64_t limit, Piece&& piece)
{
    const uint8_t* three = unicode::ThreeByteCells();
    int64_t cols;
    size_t j = PieceEnd<K>(s, len, 0, fit, three, cols);
    if (limit >= 0 && cols <= limit) {
        size_t k = j;
        int64_t total = cols;
        while (k < len && total <= limit) {
            const TStep st = StepOf<K>(s + k, len - k, three);
            total += st.cells;
            k += st.bytes;
        }
        if (total <= limit) j = len;
    }
    piece(1, int(j));
    while (j < len) {
        const size_t i = j;
        j = PieceEnd<K>(s, len, i, fit, three, cols);
        piece(int(i) + 1, int(j - i));
    }
}

}  // namespace bvcut

// Cuts a non-empty line into pieces and calls piece(pos, n, shortened) for each in order: pos
// the 1-based byte where it starts, n its bytes. True when the size was a byte count (the line's
// bytes are its columns): then every piece has the fit's n but those shortened to keep a
// character whole, and the last piece's n may run past the line's end. False when cut by
// columns: the last piece ends at the line's end.
template <class Piece>
bool CutLine(const uint8_t* s, int len, const TBvCutRule& rule, Piece&& piece)
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
            piece(pos, n, n != fit);
            pos = AddWrap(pos, n);
            if (pos < 1) break;  // a piece size beyond any line: nothing follows
        }
        return true;
    }
    // Every piece takes the characters that fit in the fit's columns, and at least one; a
    // character of zero width goes with the one before it.
    int64_t fit = rule.wrapByte, limit = -1;
    if (fit <= 0) {
        if (rule.uniformFit > 0 && !std::memchr(s, '\t', size_t(len))) {
            fit = rule.uniformFit;
            limit = rule.uniformLimit;
        } else {
            fit = bvcut::FitColumns(s, size_t(len), rule);
        }
    }
    auto columns = [&](int pos, int n) { piece(pos, n, false); };
    if (enc.kind() == TBvEncoding::EucJp) bvcut::CutColumns<TBvEncoding::EucJp>(s, size_t(len), fit, limit, columns);
    else bvcut::CutColumns<TBvEncoding::Utf8>(s, size_t(len), fit, limit, columns);
    return false;
}
