#pragma once
// UTF-8 by the byte ranges of the Unicode standard: overlong forms, surrogates, code points
// past U+10FFFF and stray bytes are no character.
#include <cstddef>
#include <cstdint>

namespace utf8 {

constexpr bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The length of the well-formed sequence that starts at p (n > 0 bytes remain), 0 when none does.
inline size_t SeqLen(const uint8_t* p, size_t n)
{
    const uint8_t b = p[0];
    if (b < 0x80) return 1;
    size_t more;
    uint8_t lo = 0x80, hi = 0xBF;  // the range of the first continuation byte
    if (b < 0xC2) return 0;
    if (b <= 0xDF) more = 1;
    else if (b == 0xE0) more = 2, lo = 0xA0;
    else if (b == 0xED) more = 2, hi = 0x9F;
    else if (b <= 0xEF) more = 2;
    else if (b == 0xF0) more = 3, lo = 0x90;
    else if (b <= 0xF3) more = 3;
    else if (b == 0xF4) more = 3, hi = 0x8F;
    else return 0;
    if (n <= more || p[1] < lo || p[1] > hi) return 0;
    for (size_t k = 2; k <= more; ++k)
        if (!IsContinuation(p[k])) return 0;
    return more + 1;
}

// The code point of a well-formed sequence of len bytes.
inline char32_t Decode(const uint8_t* p, size_t len)
{
    switch (len) {
    case 1: return p[0];
    case 2: return char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    case 3: return char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    default:
        return char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
    }
}

// Writes the UTF-8 of c (a scalar value) to out; returns its length.
inline size_t Encode(char32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

// Whether byte q of s (0-based; q may be the size) starts a character, given that byte
// `from` does: q does unless it continues a well-formed sequence that starts at most three
// bytes before it.
inline bool IsCharStart(const uint8_t* s, size_t size, size_t from, size_t q)
{
    if (q <= from || q >= size || !IsContinuation(s[q])) return true;
    for (size_t k = 1; k <= 3 && k <= q - from; ++k) {
        const uint8_t b = s[q - k];
        if (IsContinuation(b)) {
            if (q - k == from) return true;  // from starts a character: a stray byte
            continue;
        }
        return SeqLen(s + q - k, size - (q - k)) <= k;
    }
    return true;
}

}  // namespace utf8
