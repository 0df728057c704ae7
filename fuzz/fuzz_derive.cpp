// Display lines from fuzzed text, encoding and settings: the pieces tile each file line without
// splitting a character, conversions round-trip, and re-deriving after an edit from the edited
// line gives what a full derivation gives.
#include <string>
#include <vector>

#include "model/BvLines.h"
#include "FuzzCommon.h"
#include "support/CellMeasure.h"
#include "support/DeriveOracle.h"
#include "support/EncodingOracle.h"

namespace {

void CheckTiling(const TBvLines& v, const TBvStrings& store)
{
    int d = 0;
    for (int a = 0; a < store.Count(); ++a) {
        const TBvText& line = store.Get(a);
        const int len = int(line.size());
        const std::vector<bool> starts = OracleCharStarts(store.Encoding().kind(), line.view());
        FUZZ_CHECK(v.ConvertIndexFromOrg(a) == d);
        int pos = len ? 1 : 0;
        for (int k = 0;; ++k, ++d) {
            FUZZ_CHECK(d < v.GetCount());
            const TBvInfo& r = v.Info(d);
            FUZZ_CHECK(r.OrgIndex == a && r.SubLine == k && r.OrgPos == pos);
            FUZZ_CHECK(len == 0 ? r.Len == 0 : r.Len >= 1);
            if (len && !v.WordWrap()) FUZZ_CHECK(r.Len == len);
            if (len && r.OrgPos + r.Len <= len) FUZZ_CHECK(starts[size_t(r.OrgPos + r.Len) - 1]);
            pos += r.Len;
            FUZZ_CHECK(bool(r.Cr) == (pos > len || len == 0));
            if (r.Cr) break;
        }
        ++d;
        for (int p = len ? 1 : 0; p <= len; ++p) {
            const TPoint disp = v.ConvertLocateFromOrg({p, a});
            FUZZ_CHECK(disp.X >= 1);
            FUZZ_CHECK(v.ConvertLocateToOrg(disp) == (TPoint{p, a}));
        }
    }
    FUZZ_CHECK(d == v.GetCount());
}

// Every record read back from the packed rows is the plain derivation's.
bool AsTheOracle(const TBvLines& v, const TBvStrings& store, const TBvMeasure& m)
{
    const std::vector<TBvInfo> want = OracleRows(store, {v.WordWrap(), v.WrapByte(), v.ViewTabStop()}, m);
    if (int(want.size()) != v.GetCount()) return false;
    for (int i = 0; i < v.GetCount(); ++i)
        if (!SameInfo(v.Info(i), want[size_t(i)])) return false;
    return true;
}

bool SameLines(const TBvLines& a, const TBvLines& b)
{
    if (a.GetCount() != b.GetCount()) return false;
    for (int i = 0; i < a.GetCount(); ++i) {
        const TBvInfo &x = a.Info(i), &y = b.Info(i);
        if (x.OrgIndex != y.OrgIndex || x.OrgPos != y.OrgPos || x.Len != y.Len || x.SubLine != y.SubLine ||
            x.Cr != y.Cr)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6) return 0;
    CellMeasure m;
    TBvStrings store;
    TBvLines v(store, m);
    const bool wrap = data[0] & 1;
    m.uniform = data[0] & 2 ? 6 : 0;
    const int wrapByte = data[1] % 16;
    m.client = data[2] * 3;
    const int tabStop = data[3] % 10;
    const int editAt = data[4];
    const int editKind = data[5] % 3;
    const TCharset charset = (data[0] >> 2) % 3 == 0   ? TCharset::Cp932
                             : (data[0] >> 2) % 3 == 1 ? TCharset::EucJp
                                                       : TCharset::Utf8;
    data += 6;
    size -= 6;

    v.SetViewTabStop(tabStop);
    v.SetWordWrap(wrap);
    v.SetWrapByte(wrapByte);
    store.SetSource({charset});
    store.SetTextStr(TBvText(reinterpret_cast<const char*>(data), size));
    v.CalcBvLines(0);
    CheckTiling(v, store);
    FUZZ_CHECK(AsTheOracle(v, store, m));

    // An edit of the store, re-derived from the lowest line it touched.
    const TBvText piece(reinterpret_cast<const char*>(data), size / 2);
    const int at = store.Count() ? editAt % (store.Count() + (editKind == 1 ? 1 : 0)) : 0;
    if (editKind == 0 && store.Count()) store.Put(at, piece);
    if (editKind == 1) store.Insert(at, piece);
    if (editKind == 2 && store.Count()) store.Delete(at);
    v.CalcBvLines(at);
    CheckTiling(v, store);

    // The full derivation measures every line, so it also checks the uniform-width shortcut.
    CellMeasure measured;
    measured.client = m.client;
    TBvLines full(store, measured);
    full.SetViewTabStop(tabStop);
    full.SetWordWrap(wrap);
    full.SetWrapByte(wrapByte);
    full.CalcBvLines(0);
    FUZZ_CHECK(SameLines(v, full));
    return 0;
}
