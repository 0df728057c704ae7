#pragma once
// The encodings a text file may come in: their names, finding which one a file is in, and
// turning the ones the viewer does not hold as they are (UTF-16, ISO-2022-JP) into UTF-8.
// Plain functions over bytes; the tables behind them are made once.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class TCharset : uint8_t { Cp932, EucJp, Iso2022Jp, Utf8, Utf16Le, Utf16Be };

namespace charset {

constexpr TCharset kAll[] = {TCharset::Cp932, TCharset::EucJp,   TCharset::Iso2022Jp,
                             TCharset::Utf8,  TCharset::Utf16Le, TCharset::Utf16Be};

// The names options take: cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be.
const char* Key(TCharset c);
// The name for a key, without regard to case; none for an unknown key.
std::optional<TCharset> FromKey(std::string_view key);

// Whether a text in c is held transcoded to UTF-8 rather than as the file's own bytes:
// UTF-16 is not ASCII-compatible and ISO-2022-JP carries a shift state.
constexpr bool IsTranscoded(TCharset c)
{
    return c == TCharset::Iso2022Jp || c == TCharset::Utf16Le || c == TCharset::Utf16Be;
}

// The length of the byte order mark of c that the bytes begin with, 0 when they begin with none.
size_t BomLength(TCharset c, const char* p, size_t n);

// The sample detection reads: the first piece of the file and up to this many more, spread
// evenly over the rest.
constexpr size_t kSamplePiece = size_t(64) << 10;
constexpr int kSamplePieces = 15;

// One piece of a sample: its bytes and where they lie in the file.
struct TPiece {
    std::string_view bytes;
    uint64_t offset;
};

// A sample's pieces with the bytes they view.
struct TSample {
    std::string buffer;
    std::vector<TPiece> pieces;
    // Where the pieces of a sample of a file of this size lie: the first kSamplePiece bytes
    // and, spread evenly over the rest, up to kSamplePieces more (the whole of a small file).
    static std::vector<std::pair<uint64_t, size_t>> Places(uint64_t fileSize);
};

struct TDetected {
    TCharset charset = TCharset::Cp932;
    bool bom = false;
};

// The encoding of a file of fileSize bytes from pieces of it (the first at offset 0), in this
// order: a byte order mark; ISO-2022-JP's escape sequences when no byte is 0x80 or above;
// UTF-8 when every piece is valid UTF-8 and some character has more than one byte; code page
// 932 or EUC-JP as uchardet judges the lines with such bytes (and, where it cannot tell, as
// the two readings of them fare); code page 932 for everything else.
TDetected Detect(const std::vector<TPiece>& sample, uint64_t fileSize);

// The most bytes ToUtf8 (or TToUtf8 over n bytes in all) writes for n bytes in c.
size_t Utf8Bound(TCharset c, size_t n);
// Writes the UTF-8 of the n bytes at in, which are in c (UTF-16 of either order or ISO-2022-JP;
// no byte order mark), to out, and returns the count written. Each byte that is no character
// becomes a byte 0xFF, which is no UTF-8 either and so shows as one; an unassigned JIS code
// becomes two. ISO-2022-JP starts in ASCII and returns to it at each line end; JIS X 0201
// Roman reads as ASCII, as in code page 932.
size_t ToUtf8(TCharset c, const char* in, size_t n, char* out);

// ToUtf8 over bytes that arrive in parts: the shift state and a character cut by the end of a
// part carry over to the next.
class TToUtf8 {
public:
    explicit TToUtf8(TCharset c) : charset_(c) {}
    // Writes the UTF-8 of what the n bytes at in complete and returns the count written; used:
    // the bytes taken, the rest to be given again with the next part. With end, the bytes are
    // the last ones and all are taken.
    size_t Feed(const char* in, size_t n, bool end, char* out, size_t& used);

private:
    size_t Iso2022Jp(const uint8_t* in, size_t n, bool end, char* out, size_t& used);
    enum Mode : uint8_t { Ascii, Kana, Jis0208, Jis0212 };
    TCharset charset_;
    Mode mode_ = Ascii;
    bool shiftOut_ = false;  // SO: katakana until SI
};

}  // namespace charset
