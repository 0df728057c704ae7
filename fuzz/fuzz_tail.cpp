// A file written in parts and followed: the first input byte chooses how many new bytes the tail
// reads at a time, and each 0xFE byte cuts the rest into the parts written one after another. The
// lines followed must be the plain oracle's lines of the whole file.
#include <unistd.h>

#include <string>
#include <vector>

#include "FuzzCommon.h"
#include "support/FileLineOracle.h"
#include "support/TailOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const size_t most = size_t(data[0]) + 1;
    std::vector<std::string> parts(1);
    std::string all;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFE) {
            parts.emplace_back();
            continue;
        }
        parts.back() += char(data[i]);
        all += char(data[i]);
    }
    static const std::string name = "/tmp/tavuko-fuzz-tail-" + std::to_string(getpid());
    const TFollowed r = FollowParts(name, parts, most);
    unlink(name.c_str());
    if (r.failed) return 0;
    FUZZ_CHECK(r.lines == FileLines(all));
    return 0;
}
