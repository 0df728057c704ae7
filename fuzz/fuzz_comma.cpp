// Comma text: reading never fails, and what GetCommaText writes reads back to the same lines
// for lines that hold no quote, CR or NUL (the format cannot carry those), bar a final empty
// line, which is lost.
#include <cstring>
#include <string>

#include "model/BvStrings.h"
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TBvText text(reinterpret_cast<const char*>(data), size);
    TBvStrings s;
    s.SetCommaText(text);
    size_t total = 0;
    for (int i = 0; i < s.Count(); ++i) {
        const std::string_view line = s.Get(i).view();
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\0\"", 3)) == std::string_view::npos);
        total += line.size();
        // Every line is a piece of the input.
        FUZZ_CHECK(line.empty() || (line.data() >= text.data() && line.data() + line.size() <= text.data() + size));
    }
    FUZZ_CHECK(total <= size);

    const TBvText written = s.GetCommaText();
    TBvStrings back;
    back.SetCommaText(written);
    int expect = s.Count();
    if (expect > 0 && s.Get(expect - 1).empty()) --expect;  // a final empty line is lost
    FUZZ_CHECK(back.Count() == expect);
    for (int i = 0; i < back.Count(); ++i) FUZZ_CHECK(back.Get(i) == s.Get(i));
    if (expect == s.Count()) FUZZ_CHECK(back.GetCommaText() == written);
    return 0;
}
