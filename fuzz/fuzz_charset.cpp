// Detection and transcoding of fuzzed bytes: detection reads any sample of them, UTF-16 reads
// as the plain reading has it, ISO-2022-JP gives UTF-8 and bytes 0xFF only, within the bound,
// and bytes given in parts transcode as they do at once.
#include <string>

#include "FuzzCommon.h"
#include "platform/Charset.h"
#include "support/EncodingOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Detection over the sample places of a file of this size, and of a piece cut anywhere.
    std::vector<charset::TPiece> pieces;
    for (const auto& [at, n] : charset::TSample::Places(bytes.size()))
        pieces.push_back({std::string_view(bytes).substr(at, n), at});
    const charset::TDetected found = charset::Detect(pieces, bytes.size());
    FUZZ_CHECK(!found.bom || charset::BomLength(found.charset, bytes.data(), bytes.size()) > 0);
    if (size > 2) {
        const std::vector<charset::TPiece> cut = {
            {std::string_view(bytes).substr(0, 1), 0},
            {std::string_view(bytes).substr(1 + data[0] % (size - 1)), 1 + uint64_t(data[0] % (size - 1))}};
        charset::Detect(cut, bytes.size());
    }
    for (const TCharset c : {TCharset::Utf16Le, TCharset::Utf16Be, TCharset::Iso2022Jp}) {
        std::string out(charset::Utf8Bound(c, size), '\0');
        out.resize(charset::ToUtf8(c, bytes.data(), size, out.data()));
        FUZZ_CHECK(out.size() <= charset::Utf8Bound(c, size));
        // In parts of the size the first byte chooses, as a file being read arrives.
        charset::TToUtf8 parts(c);
        std::string inParts(out.size() + 16, '\0');
        size_t fed = 0, written = 0;
        const size_t part = size ? 1 + data[0] % 16 : 1;
        for (size_t have = std::min(size, part);; have = std::min(size, have + part)) {
            size_t used;
            written += parts.Feed(bytes.data() + fed, have - fed, have == size, inParts.data() + written, used);
            fed += used;
            if (have == size) break;
        }
        FUZZ_CHECK(fed == size && inParts.substr(0, written) == out);
        if (c != TCharset::Iso2022Jp) {
            FUZZ_CHECK(out == OracleUtf16ToUtf8(c == TCharset::Utf16Be, bytes));
            continue;
        }
        std::string wellFormed;
        for (const char b : out)
            if (b != '\xFF') wellFormed += b;
        FUZZ_CHECK(IsWellFormedUtf8(wellFormed));
    }
    return 0;
}
