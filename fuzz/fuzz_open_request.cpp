// Open requests: any bytes name at most one file, exactly as the plain second reading does,
// and the name is a piece of the request's first line.
#include <string_view>

#include "app/OpenRequest.h"
#include "FuzzCommon.h"
#include "support/OpenRequestOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view request(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> name = OpenRequestFileName(request);
    FUZZ_CHECK(name == OpenRequestOracle(request));
    if (name) {
        FUZZ_CHECK(name->find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        FUZZ_CHECK(name->empty() || request.find(*name) != std::string_view::npos);
    }
    return 0;
}
