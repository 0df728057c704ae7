// The fast search over file lines against the plain one, over fuzzed lines (slices of one block,
// some replaced by texts of their own or moved out of order), encodings, texts, start places,
// piece sizes and vector widths; and every match in a window of a line.
#include <string>
#include <vector>

#include "FuzzCommon.h"
#include "model/BvFind.h"
#include "model/BvStrings.h"
#include "support/FindReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8) return 0;
    TBvStrings store;
    const bool matchCase = data[0] & 1;
    const TBvEncoding encodings[] = {TBvEncoding::Cp932, TBvEncoding::EucJp, TBvEncoding::Utf8, TBvEncoding::Cp932};
    const TBvEncoding enc = encodings[(data[0] >> 1) & 3];
    const int widths[] = {0, 1, 16, 32};
    const int width = widths[(data[0] >> 3) & 3];
    const size_t pos = data[1] % 64;
    const size_t findLen = data[3] % 9;
    const int line = int(data[4]) - 2;
    const int edits = data[5] % 4;
    const size_t firstBytes = 1 + data[6] % 64;
    const int maxLines = 1 + data[7] % 16;
    const size_t lo = data[2] % 64, hi = lo + data[2] / 4;
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
        const int a = (e * 7 + line + 3) % store.Count(), b = (e * 3 + 1) % store.Count();
        if (e % 2) store.Exchange(a, b);
        else store.Put(a, TBvText(store.Get(b).str() + find));
    }

    TBvFind f(find, matchCase, enc);
    f.limits.FirstBytes = firstBytes;
    f.limits.MaxBytes = firstBytes * 4;
    f.limits.MaxLines = maxLines;
    f.limits.VectorBytes = width;
    FUZZ_CHECK(f.Forward(store, line, pos) == reference::FindForward(store, find, matchCase, enc, line, pos));
    FUZZ_CHECK(f.Backward(store, line, pos) == reference::FindBackward(store, find, matchCase, enc, line, pos));
    if (store.Count() > 0) {
        const std::string_view bytes = store.View((line < 0 ? 0 : line) % store.Count());
        std::vector<size_t> each, expect;
        f.Each(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, lo, hi,
               [&](size_t at) { each.push_back(at); });
        for (const size_t at : reference::Matches(bytes, find, matchCase, enc))
            if (at >= lo && at < hi) expect.push_back(at);
        FUZZ_CHECK(each == expect);
    }
    return 0;
}
