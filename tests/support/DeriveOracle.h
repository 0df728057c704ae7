#pragma once
// The display lines of a store written as plainly as possible, one full record per piece, for
// the tests and the fuzzer to hold the derivation (and its packed rows) against. The cutting of
// one line itself is taken from CutLine: its own rules are tested by their cases.
#include <string_view>
#include <vector>

#include "model/BvCut.h"
#include "model/BvDerive.h"
#include "model/BvLines.h"

inline std::vector<TBvInfo> OracleRows(const TBvStrings& store, const TBvWrap& wrap, const TBvMeasure& measure)
{
    const TBvCutRule rule(measure, store.Encoding(), int64_t(measure.CharWidth()) * wrap.viewTabStop, wrap.wrapByte);
    std::vector<TBvInfo> out;
    for (int a = 0; a < store.Count(); ++a) {
        const std::string_view line = store.View(a);
        const int len = int(line.size());
        if (!wrap.wordWrap || len == 0) {
            out.push_back({a, len ? 1 : 0, len, 0, true});
            continue;
        }
        int k = 0;
        CutLine(reinterpret_cast<const uint8_t*>(line.data()), len, rule, [&](int pos, int n, bool) {
            out.push_back({a, pos, n, k++, false});
        });
        out.back().Cr = true;
    }
    return out;
}

inline bool SameInfo(const TBvInfo& x, const TBvInfo& y)
{
    return x.OrgIndex == y.OrgIndex && x.OrgPos == y.OrgPos && x.Len == y.Len && x.SubLine == y.SubLine && x.Cr == y.Cr;
}
