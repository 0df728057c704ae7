// SetTextStr: the lines and their line ends rebuild the text up to its first NUL.
#include <cstring>
#include <string>

#include "model/BvStrings.h"
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TBvText text(reinterpret_cast<const char*>(data), size);
    TBvStrings s;
    s.SetTextStr(text);
    FUZZ_CHECK(s.Capacity() == s.Count());
    const char* t = text.data();
    const void* nul = size ? std::memchr(t, 0, size) : nullptr;
    const size_t end = nul ? size_t(static_cast<const char*>(nul) - t) : size;
    if (size == 0) FUZZ_CHECK(s.Count() == 0);
    if (size > 0 && end == 0) FUZZ_CHECK(s.Count() == 1 && s.Get(0).empty());

    size_t p = 0;
    for (int i = 0; i < s.Count(); ++i) {
        const TBvText& line = s.Get(i);
        FUZZ_CHECK(p + line.size() <= end);
        FUZZ_CHECK(std::memcmp(line.data(), t + p, line.size()) == 0);
        FUZZ_CHECK(line.view().find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        p += line.size();
        // One line end: CR, LF or CR LF (LF CR is two).
        if (p < end && t[p] == '\r') ++p;
        if (p < end && t[p] == '\n') ++p;
        if (i + 1 < s.Count()) FUZZ_CHECK(p < end);
    }
    FUZZ_CHECK(p == end);

    // Written back and read again, the text keeps its lines.
    TBvStrings again;
    again.SetTextStr(s.GetTextStr());
    FUZZ_CHECK(again.Count() == s.Count());
    for (int i = 0; i < again.Count(); ++i) FUZZ_CHECK(again.Get(i) == s.Get(i));
    return 0;
}
