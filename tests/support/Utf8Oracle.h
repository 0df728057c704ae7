#pragma once
// Well-formed UTF-8 by the byte ranges of the Unicode standard's table, one sequence at a time:
// a second reading of which file names Qt's listings keep, and of where UTF-8 characters start,
// for the tests and fuzzers.
#include <cstdint>
#include <string_view>

// The length of the well-formed sequence at byte i of s; 0 when none starts there.
inline size_t WellFormedUtf8Length(std::string_view s, size_t i)
{
    const uint8_t b = uint8_t(s[i]);
    if (b < 0x80) return 1;
    // Continuation bytes that follow b, and the range of the first of them.
    size_t more;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) more = 1;
    else if (b == 0xE0) more = 2, lo = 0xA0;  // no overlong forms
    else if (b == 0xED) more = 2, hi = 0x9F;  // no surrogates
    else if (b >= 0xE1 && b <= 0xEF) more = 2;
    else if (b == 0xF0) more = 3, lo = 0x90;  // no overlong forms
    else if (b >= 0xF1 && b <= 0xF3) more = 3;
    else if (b == 0xF4) more = 3, hi = 0x8F;  // nothing past U+10FFFF
    else return 0;                            // 80-C1, F5-FF
    if (s.size() - i <= more) return 0;
    for (size_t k = 1; k <= more; ++k) {
        const uint8_t c = uint8_t(s[i + k]);
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) return 0;
    }
    return more + 1;
}

inline bool IsWellFormedUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const size_t len = WellFormedUtf8Length(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}
