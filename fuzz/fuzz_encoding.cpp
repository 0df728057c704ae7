// The encoding object on fuzzed bytes in each held encoding: character lengths and starts as
// the plain oracle walks them, decoding that never reads past the bytes, and the pixel-to-byte
// mapping landing on characters' first bytes, in order.
#include <string>

#include "FuzzCommon.h"
#include "support/CellMeasure.h"
#include "model/BvMeasure.h"
#include "support/EncodingOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const TBvEncoding::Kind kind = TBvEncoding::Kind(data[0] % 3);
    const int64_t tab = data[1] % 5 * 6;
    const std::string s(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto* b = reinterpret_cast<const uint8_t*>(s.data());
    const TBvEncoding enc(kind);
    const std::vector<bool> starts = OracleCharStarts(kind, s);
    for (size_t i = 0; i < s.size(); ++i) {
        const size_t len = enc.CharLen(b + i, s.size() - i);
        FUZZ_CHECK(len == OracleCharLength(kind, s, i));
        const size_t cluster = enc.ClusterLen(b + i, s.size() - i);
        FUZZ_CHECK(cluster >= len && cluster <= s.size() - i);
        const TBvChar c = enc.At(b + i, s.size() - i);
        FUZZ_CHECK(c.bytes >= 1 && c.bytes <= s.size() - i && c.cells <= 2);
        if (kind != TBvEncoding::Cp932) FUZZ_CHECK(c.bytes == len);
    }
    // From every start, the starts ahead as the oracle has them (up to 64 bytes on, to stay quick).
    for (size_t from = 0; from < s.size(); ++from) {
        if (!starts[from]) continue;
        for (size_t q = from; q <= s.size() && q <= from + 64; ++q)
            FUZZ_CHECK(enc.IsCharStart(b, s.size(), from, q) == starts[q]);
    }
    enc.ToUnicode(s.data(), s.size());
    // A column at any pixel is a character's first byte, and one further right is no further left.
    CellMeasure m;
    const TBvRowMap map(m, enc, tab);
    int last = 1;
    for (int64_t x = 0; x < int64_t(s.size()) * 6 + 20; x += 5) {
        const int col = map.Column(s.data(), int(s.size()), x, false);
        FUZZ_CHECK(col == 0 || (col >= last && size_t(col) <= s.size() && starts[size_t(col) - 1]));
        if (col == 0) break;
        last = col;
    }
    return 0;
}
