// Bytes as a file through the file loader, read in parts of a size the input chooses, in the
// encoding its bytes show: the lines must be the plain oracle's of the bytes as held (after a
// byte order mark, or transcoded to UTF-8), each a slice of the one buffer, and its line ends the
// kinds the oracle finds.
#include <unistd.h>

#include <string>

#include "FuzzCommon.h"
#include "model/BvStrings.h"
#include "platform/Charset.h"
#include "support/FileLineOracle.h"
#include "support/ReadSeam.h"

namespace {
size_t gPerCall = 1;
ssize_t PartRead(int fd, void* b, size_t n) { return ::read(fd, b, n < gPerCall ? n : gPerCall); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses how many bytes each read call gives (1..256).
    gPerCall = size_t(data[0]) + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    static const std::string name = "/tmp/tavuko-fuzz-load-" + std::to_string(getpid());
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    TBvStrings s;
    {
        ReadSeam seam(PartRead);
        s.LoadFromFile(name);
    }
    unlink(name.c_str());
    FUZZ_CHECK(s.Capacity() == s.Count());
    std::string held =
        bytes.substr(s.Source().bom ? charset::BomLength(s.Source().charset, bytes.data(), bytes.size()) : 0);
    if (charset::IsTranscoded(s.Source().charset)) {
        std::string out(charset::Utf8Bound(s.Source().charset, held.size()), '\0');
        out.resize(charset::ToUtf8(s.Source().charset, held.data(), held.size(), out.data()));
        held = out;
    }
    const std::vector<std::string> want = FileLines(held);
    FUZZ_CHECK(size_t(s.Count()) == want.size());
    for (int i = 0; i < s.Count(); ++i) {
        FUZZ_CHECK(s.Get(i).view() == want[size_t(i)]);
        FUZZ_CHECK(s.Get(i).RefCount() >= 1);
    }
    FUZZ_CHECK(int(s.LineEnds()) == FileLineEnds(held));
    return 0;
}
