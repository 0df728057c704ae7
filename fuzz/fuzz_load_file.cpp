// Bytes as a file through the file loader: the lines must tile the text before the first 0x1A.
#include <unistd.h>

#include <cstring>
#include <string>

#include "model/BvStrings.h"
#include "fuzz/FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string name = "/tmp/tavuko-fuzz-load-" + std::to_string(getpid());
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    TBvStrings s;
    s.LoadFromFile(name);
    const char* text = reinterpret_cast<const char*>(data);
    const void* eof = size ? std::memchr(text, 0x1A, size) : nullptr;
    const size_t end = eof ? size_t(static_cast<const char*>(eof) - text) : size;
    FUZZ_CHECK(s.Capacity() == s.Count());

    // Line i followed by its line end (CR or CR LF), the last one's possibly missing.
    size_t p = 0;
    for (int i = 0; i < s.Count(); ++i) {
        const TBvText& line = s.Get(i);
        FUZZ_CHECK(p + line.size() <= end);
        FUZZ_CHECK(std::memcmp(line.data(), text + p, line.size()) == 0);
        FUZZ_CHECK(std::memchr(line.data(), '\r', line.size()) == nullptr);
        p += line.size();
        if (p < end) {
            FUZZ_CHECK(text[p] == '\r');
            ++p;
            if (p < end && text[p] == '\n') ++p;
        }
        if (i + 1 < s.Count()) FUZZ_CHECK(p < end);
        FUZZ_CHECK(line.RefCount() >= 1);
    }
    FUZZ_CHECK(p == end);
    unlink(name.c_str());
    return 0;
}
