#pragma once
// The display lines of a store written as plainly as possible, one full record per piece, for
// the tests and the fuzzer to hold the derivation (and its packed rows) against. The pixel fit
// itself is taken from the derivation: its own rules are tested by their cases.
#include <string_view>
#include <vector>

#include "model/BvDerive.h"
#include "model/BvLines.h"
#include "platform/Cp932.h"

inline std::vector<TBvInfo> OracleRows(const TBvStrings& store, const TBvWrap& wrap, const TBvMeasure& measure)
{
    const TBvCut cut(wrap, measure);
    std::vector<TBvInfo> out;
    for (int a = 0; a < store.Count(); ++a) {
        const std::string_view line = store.View(a);
        const int len = int(line.size());
        if (!wrap.wordWrap || len == 0) {
            out.push_back({a, len ? 1 : 0, len, 0, true});
            continue;
        }
        const int fit = wrap.wrapByte > 0 ? wrap.wrapByte : cut.PixelFit(line);
        const auto* b = reinterpret_cast<const uint8_t*>(line.data());
        long long pos = 1;
        for (int k = 0; pos <= len; ++k) {
            int n = fit;
            // A piece never ends on a lead byte whose trail is the next piece's first byte.
            if (pos + n <= len && cp932::IsTrailAt(b, size_t(pos), size_t(pos + n))) n = n > 1 ? n - 1 : 2;
            out.push_back({a, int(pos), n, k, false});
            pos += n;
            if (pos > 0x7FFFFFFFLL) break;  // a piece size beyond any line
        }
        out.back().Cr = true;
    }
    return out;
}

inline bool SameInfo(const TBvInfo& x, const TBvInfo& y)
{
    return x.OrgIndex == y.OrgIndex && x.OrgPos == y.OrgPos && x.Len == y.Len && x.SubLine == y.SubLine &&
           x.Cr == y.Cr;
}
