// The fast search over display lines against the line-at-a-time loop, over fuzzed lines (slices
// of one block, some replaced by texts of their own or moved out of order), wraps, texts, start
// lines, piece sizes and vector widths.
#include <string>

#include "fuzz/FuzzCommon.h"
#include "model/BvFind.h"
#include "model/BvLines.h"
#include "support/FindReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8) return 0;
    CellMeasure m;
    TBvStrings store;
    TBvLines v(store, m);
    const bool matchCase = data[0] & 1;
    v.SetWordWrap(!(data[0] & 2));
    const int widths[] = {0, 1, 16, 32};
    const int width = widths[(data[0] >> 2) & 3];
    v.SetWrapByte(data[1] % 12);
    m.client = data[2] * 3;
    const size_t findLen = data[3] % 9;
    const int from = int(data[4]) - 2;
    const int edits = data[5] % 4;
    const size_t firstBytes = 1 + data[6] % 64;
    const int maxLines = 1 + data[7] % 16;
    data += 8;
    size -= 8;
    if (size < findLen) return 0;
    const std::string find(reinterpret_cast<const char*>(data), findLen);
    data += findLen;
    size -= findLen;

    // The lines as the file loader cuts them: at CR and CR LF, NULs kept, slices of one block.
    const TBvText whole(reinterpret_cast<const char*>(data), size);
    for (size_t p = 0; p < size;) {
        size_t q = p;
        while (q < size && data[q] != '\r') ++q;
        store.Add(whole.Mid(p, q - p));
        p = q + 1;
        if (p < size && data[p] == '\n') ++p;
    }
    for (int e = 0; e < edits && store.Count() > 1; ++e) {
        const int a = (e * 7 + from + 3) % store.Count(), b = (e * 3 + 1) % store.Count();
        if (e % 2) store.Exchange(a, b);
        else store.Put(a, TBvText(store.Get(b).str() + find));
    }
    v.CalcBvLines(0);

    TBvFind f(find, matchCase);
    f.limits.FirstBytes = firstBytes;
    f.limits.MaxBytes = firstBytes * 4;
    f.limits.MaxLines = maxLines;
    f.limits.VectorBytes = width;
    FUZZ_CHECK(f.Forward(v, from) == reference::FindForward(v, find, matchCase, from));
    FUZZ_CHECK(f.Backward(v, from) == reference::FindBackward(v, find, matchCase, from));
    return 0;
}
