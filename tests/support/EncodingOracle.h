#pragma once
// Where the characters of a held text start, by the rules written out plainly and walked from the
// start: a second reading of the encoding object's character rules for the tests and fuzzers.
//   code page 932: a lead byte (0x81-0x9F, 0xE0-0xFC) and whatever byte follows it;
//   EUC-JP: two bytes of 0xA1-0xFE; 0x8E and one of 0xA1-0xDF; 0x8F and two of 0xA1-0xFE;
//   UTF-8: the well-formed sequences of the Unicode standard's table;
// every other byte is a character of its own.
#include <string_view>
#include <vector>

#include "model/BvEncoding.h"
#include "support/Utf8Oracle.h"

inline size_t OracleCharLength(TBvEncoding::Kind kind, std::string_view s, size_t i)
{
    const auto at = [&](size_t k) { return k < s.size() ? int(uint8_t(s[k])) : -1; };
    const auto in = [](int b, int lo, int hi) { return b >= lo && b <= hi; };
    const int b = at(i);
    switch (kind) {
    case TBvEncoding::Cp932: return (in(b, 0x81, 0x9F) || in(b, 0xE0, 0xFC)) && i + 1 < s.size() ? 2 : 1;
    case TBvEncoding::EucJp:
        if (in(b, 0xA1, 0xFE) && in(at(i + 1), 0xA1, 0xFE)) return 2;
        if (b == 0x8E && in(at(i + 1), 0xA1, 0xDF)) return 2;
        if (b == 0x8F && in(at(i + 1), 0xA1, 0xFE) && in(at(i + 2), 0xA1, 0xFE)) return 3;
        return 1;
    case TBvEncoding::Utf8: break;
    }
    const size_t len = WellFormedUtf8Length(s, i);
    return len ? len : 1;
}

// starts[k]: whether byte k starts a character; starts[size] is true.
inline std::vector<bool> OracleCharStarts(TBvEncoding::Kind kind, std::string_view s)
{
    std::vector<bool> starts(s.size() + 1, false);
    for (size_t i = 0; i < s.size(); i += OracleCharLength(kind, s, i)) starts[i] = true;
    starts[s.size()] = true;
    return starts;
}

// UTF-16 of either byte order as UTF-8 by the standard's definition, each byte that is no part
// of a character as 0xFF (a surrogate without its other half: both its bytes; an odd last byte).
inline std::string OracleUtf16ToUtf8(bool bigEndian, std::string_view s)
{
    auto unit = [&](size_t i) {
        const unsigned a = uint8_t(s[i]), b = uint8_t(s[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    auto put = [](std::string& out, char32_t c) {
        if (c < 0x80) out += char(c);
        else if (c < 0x800) out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        else if (c < 0x10000) out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        else
            out += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)), char(0x80 | (c >> 6 & 0x3F)),
                    char(0x80 | (c & 0x3F))};
    };
    std::string out;
    size_t i = 0;
    for (; i + 2 <= s.size(); i += 2) {
        const unsigned u = unit(i);
        const bool high = u >= 0xD800 && u <= 0xDBFF, low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 4 <= s.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            put(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 2;
        } else if (high || low) {
            out += "\xFF\xFF";
        } else {
            put(out, u);
        }
    }
    if (i < s.size()) out += '\xFF';
    return out;
}
