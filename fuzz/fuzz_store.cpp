// The per-user store's reader on any bytes: what it accepts it writes back unchanged, values
// written into it read back, and nothing it rejects leaves a half-read document.
#include <cstddef>
#include <cstdint>

#include "FuzzCommon.h"
#include "support/StoreOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string failure = CheckStoreOracle(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    FUZZ_CHECK(failure.empty());
    return 0;
}
