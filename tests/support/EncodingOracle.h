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
    case TBvEncoding::Cp932:
        return (in(b, 0x81, 0x9F) || in(b, 0xE0, 0xFC)) && i + 1 < s.size() ? 2 : 1;
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
