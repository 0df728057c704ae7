#include "platform/Charset.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>

#include "platform/Cp932.h"
#include "platform/EucJp.h"
#include "platform/Utf8.h"

namespace charset {

namespace {

struct TName {
    TCharset charset;
    const char* key;
};
constexpr TName kNames[] = {{TCharset::Cp932, "cp932"},           {TCharset::EucJp, "euc-jp"},
                            {TCharset::Iso2022Jp, "iso-2022-jp"}, {TCharset::Utf8, "utf-8"},
                            {TCharset::Utf16Le, "utf-16le"},      {TCharset::Utf16Be, "utf-16be"}};

constexpr uint8_t kEsc = 0x1B;
constexpr char kBad = char(0xFF);  // a byte that is no UTF-8: one cell with the replacement mark

// At most this many bytes of lines go to uchardet, which reads some 7 µs a kilobyte: enough to
// judge by, and within the time detection may take.
constexpr size_t kJudgeBytes = size_t(128) << 10;

bool StartsWith(std::string_view s, const char* prefix) { return s.substr(0, std::strlen(prefix)) == prefix; }

// The designation an escape sequence at s makes in ISO-2022-JP, as its length; 0 for none.
size_t Designation(std::string_view s)
{
    for (const char* d : {"\x1B$B", "\x1B$@", "\x1B(B", "\x1B(J", "\x1B(I", "\x1B$(D", "\x1B&@"})
        if (StartsWith(s, d)) return std::strlen(d);
    return 0;
}

// Whether an escape sequence at s designates a set that only ISO-2022-JP has (two-byte JIS or
// katakana): the ASCII designations alone also occur in terminal output.
bool IsJapaneseDesignation(std::string_view s)
{
    return Designation(s) > 0 && (s[1] == '$' || StartsWith(s, "\x1B(I"));
}

// Whether the r bytes at p (fewer than a sequence needs) begin a well-formed sequence.
bool IsCutSequence(const uint8_t* p, size_t r)
{
    if (r == 0 || r > 3) return false;
    // Completed with either continuation byte, one of which every lead byte accepts next.
    for (const uint8_t fill : {uint8_t(0x80), uint8_t(0xA0)}) {
        uint8_t b[4] = {fill, fill, fill, fill};
        std::memcpy(b, p, r);
        if (utf8::SeqLen(b, 4) > r) return true;
    }
    return false;
}

// Whether a piece, maybe cut out of the middle of a file, is UTF-8: a character cut at its
// start or end does not count against it (nor one cut by the end of the file, which may be
// still being written or have been cut short). many: some character has more than one byte.
bool IsUtf8Piece(std::string_view s, bool cutStart, bool& many)
{
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    size_t i = 0;
    if (cutStart)
        while (i < s.size() && i < 3 && utf8::IsContinuation(p[i])) ++i;
    while (i < s.size()) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t len = utf8::SeqLen(p + i, s.size() - i);
        if (len == 0) return IsCutSequence(p + i, s.size() - i);
        many = true;
        i += len;
    }
    return true;
}

// Bytes below 0x40 start a character in both code page 932 and EUC-JP (no second byte is one).
bool IsSafeCut(char c) { return uint8_t(c) < 0x40; }

// The lines of the sample that hold a byte of 0x80 or above, up to the limit. A piece from the
// middle of the file is first cut to begin and end where a character does.
std::string JudgedLines(const std::vector<TPiece>& sample, uint64_t fileSize)
{
    std::string out;
    for (const TPiece& piece : sample) {
        std::string_view s = piece.bytes;
        if (piece.offset > 0) {
            size_t k = 0;
            while (k < s.size() && !IsSafeCut(s[k])) ++k;
            s.remove_prefix(std::min(k + 1, s.size()));
        }
        if (piece.offset + piece.bytes.size() < fileSize) {
            size_t k = s.size();
            while (k > 0 && !IsSafeCut(s[k - 1])) --k;
            s = s.substr(0, k);
        }
        while (!s.empty() && out.size() < kJudgeBytes) {
            const size_t nl = s.find('\n');
            std::string_view line = s.substr(0, nl == std::string_view::npos ? s.size() : nl + 1);
            s.remove_prefix(line.size());
            if (std::none_of(line.begin(), line.end(), [](char c) { return uint8_t(c) >= 0x80; })) continue;
            if (line.size() > kJudgeBytes - out.size()) {
                line = line.substr(0, kJudgeBytes - out.size());
                size_t k = line.size();
                while (k > 0 && !IsSafeCut(line[k - 1])) --k;
                if (k > 0) line = line.substr(0, k);
            }
            out.append(line);
            if (out.back() != '\n') out += '\n';
        }
    }
    return out;
}

// A reading of the lines, for when uchardet cannot tell: whether every byte of 0x80 and above
// is part of an assigned character, and how much the characters look like Japanese text (kana
// and common kanji count for it, half-width katakana, rare in text, against it).
struct TReading {
    bool valid = true;
    long score = 0;
};

TReading ReadCp932(std::string_view s)
{
    TReading r;
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    for (size_t i = 0; i < s.size();) {
        const cp932::Cell c = cp932::CellAt(p + i, s.size() - i);
        if (p[i] >= 0x80) {
            if (c.kind == cp932::CellKind::Bad || c.kind == cp932::CellKind::Unassigned) r.valid = false;
            const unsigned code = c.bytes == 2 ? unsigned(p[i]) << 8 | p[i + 1] : p[i];
            if (c.bytes == 1 && c.kind == cp932::CellKind::Single) --r.score;  // half-width katakana
            else if ((code >= 0x829F && code <= 0x8396) || (code >= 0x889F && code <= 0x9872)) ++r.score;
        }
        i += c.bytes;
    }
    return r;
}

TReading ReadEucJp(std::string_view s)
{
    TReading r;
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    for (size_t i = 0; i < s.size();) {
        const size_t len = eucjp::CharLen(p + i, s.size() - i);
        if (p[i] >= 0x80) {
            if (eucjp::Decode(p + i, len) == eucjp::Table::kNone) r.valid = false;
            if (p[i] == eucjp::kKanaShift) --r.score;
            else if (len == 2 && ((p[i] >= 0xA4 && p[i] <= 0xA5) || (p[i] >= 0xB0 && p[i] <= 0xCF))) ++r.score;
        }
        i += len;
    }
    return r;
}

TCharset JudgeJapanese(const std::string& lines)
{
    if (uchardet_t ud = uchardet_new()) {
        uchardet_handle_data(ud, lines.data(), lines.size());
        uchardet_data_end(ud);
        const char* name = uchardet_get_charset(ud);
        const bool sjis = name && strcasecmp(name, "SHIFT_JIS") == 0;
        const bool euc = name && strcasecmp(name, "EUC-JP") == 0;
        uchardet_delete(ud);
        if (sjis) return TCharset::Cp932;
        if (euc) return TCharset::EucJp;
    }
    // A few characters are too little for uchardet: which reading holds up, and reads better.
    const TReading cp = ReadCp932(lines), euc = ReadEucJp(lines);
    return euc.valid && (!cp.valid || euc.score > cp.score) ? TCharset::EucJp : TCharset::Cp932;
}

}  // namespace

const char* Key(TCharset c)
{
    for (const TName& n : kNames)
        if (n.charset == c) return n.key;
    return "cp932";
}

std::optional<TCharset> FromKey(std::string_view key)
{
    for (const TName& n : kNames)
        if (key.size() == std::strlen(n.key) && strncasecmp(key.data(), n.key, key.size()) == 0) return n.charset;
    return std::nullopt;
}

std::vector<std::pair<uint64_t, size_t>> TSample::Places(uint64_t fileSize)
{
    std::vector<std::pair<uint64_t, size_t>> places;
    const uint64_t whole = uint64_t(kSamplePieces + 1) * kSamplePiece;
    if (fileSize <= whole) {
        if (fileSize) places.emplace_back(0, size_t(fileSize));
        return places;
    }
    places.emplace_back(0, kSamplePiece);
    // The last piece ends the file; none overlaps the one before it.
    uint64_t end = kSamplePiece;
    for (int k = 1; k <= kSamplePieces; ++k) {
        const uint64_t at = std::max(end, kSamplePiece + (fileSize - 2 * kSamplePiece) * uint64_t(k) / kSamplePieces);
        places.emplace_back(at, size_t(std::min<uint64_t>(kSamplePiece, fileSize - at)));
        end = at + places.back().second;
    }
    return places;
}

size_t BomLength(TCharset c, const char* p, size_t n)
{
    const std::string_view s(p, n);
    switch (c) {
    case TCharset::Utf8: return StartsWith(s, "\xEF\xBB\xBF") ? 3 : 0;
    case TCharset::Utf16Le: return StartsWith(s, "\xFF\xFE") ? 2 : 0;
    case TCharset::Utf16Be: return StartsWith(s, "\xFE\xFF") ? 2 : 0;
    default: return 0;
    }
}

TDetected Detect(const std::vector<TPiece>& sample, uint64_t fileSize)
{
    if (sample.empty()) return {};
    const std::string_view first = sample.front().bytes;
    for (TCharset c : {TCharset::Utf8, TCharset::Utf16Le, TCharset::Utf16Be})
        if (BomLength(c, first.data(), first.size())) return {c, true};

    bool high = false, escapes = false, utf8 = true, many = false;
    for (const TPiece& piece : sample) {
        const std::string_view s = piece.bytes;
        for (size_t i = 0; i < s.size(); ++i) {
            const uint8_t b = uint8_t(s[i]);
            if (b >= 0x80) high = true;
            else if (b == kEsc && !escapes) escapes = IsJapaneseDesignation(s.substr(i));
        }
        if (utf8) utf8 = IsUtf8Piece(s, piece.offset > 0, many);
    }
    if (!high) return {escapes ? TCharset::Iso2022Jp : TCharset::Cp932, false};
    if (utf8 && many) return {TCharset::Utf8, false};
    return {JudgeJapanese(JudgedLines(sample, fileSize)), false};
}

size_t Utf8Bound(TCharset c, size_t n)
{
    // UTF-16: 2 bytes give at most 3. ISO-2022-JP: a katakana byte gives 3.
    return c == TCharset::Iso2022Jp ? 3 * n : n / 2 * 3 + 1;
}

namespace {

template <bool BigEndian>
size_t Utf16ToUtf8(const uint8_t* in, size_t n, bool end, char* out, size_t& used)
{
    char* o = out;
    auto unit = [&](size_t i) {
        return BigEndian ? char16_t(in[i] << 8 | in[i + 1]) : char16_t(in[i + 1] << 8 | in[i]);
    };
    size_t i = 0;
    for (; i + 1 < n; i += 2) {
        const char16_t u = unit(i);
        if (u < 0x80) {
            *o++ = char(u);
            continue;
        }
        if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF)) {  // kana and kanji: three bytes
            o[0] = char(0xE0 | (u >> 12));
            o[1] = char(0x80 | ((u >> 6) & 0x3F));
            o[2] = char(0x80 | (u & 0x3F));
            o += 3;
            continue;
        }
        if (u < 0x800) {
            o += utf8::Encode(u, o);
            continue;
        }
        if (u <= 0xDBFF && i + 3 < n) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                o += utf8::Encode(0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00), o);
                i += 2;
                continue;
            }
        } else if (u <= 0xDBFF && !end) {
            break;  // its other half may come with the next bytes
        }
        *o++ = kBad;  // a surrogate without its other half: its two bytes
        *o++ = kBad;
    }
    if (i < n && end) *o++ = kBad, ++i;  // an odd byte at the end
    used = std::min(i, n);
    return size_t(o - out);
}

}  // namespace

size_t TToUtf8::Iso2022Jp(const uint8_t* in, size_t n, bool end, char* out, size_t& used)
{
    char* o = out;
    auto put = [&](char16_t u, int badBytes) {
        if (u == eucjp::Table::kNone) {
            for (int k = 0; k < badBytes; ++k) *o++ = kBad;
            return;
        }
        o += utf8::Encode(u, o);
    };
    const eucjp::Table& t = eucjp::Table::Instance();
    constexpr size_t kLongestEscape = 4;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = in[i];
        if (b == kEsc) {
            const std::string_view rest(reinterpret_cast<const char*>(in + i), n - i);
            if (const size_t len = Designation(rest)) {
                const char final = rest[len - 1];
                if (rest[1] == '(') mode_ = final == 'I' ? Kana : Ascii;
                else if (rest[1] == '$') mode_ = final == 'D' ? Jis0212 : Jis0208;  // ESC & @ announces a revision only
                i += len;
                continue;
            }
            if (!end && rest.size() < kLongestEscape) break;  // the rest of the sequence may come next
            *o++ = char(b);  // no designation: an escape character, shown as a control byte
            ++i;
            continue;
        }
        if (b == '\r' || b == '\n') {
            mode_ = Ascii;
            shiftOut_ = false;
        }
        if (b == 0x0E || b == 0x0F) {
            shiftOut_ = b == 0x0E;
            ++i;
            continue;
        }
        if (b >= 0x80) {
            *o++ = kBad;
            ++i;
            continue;
        }
        const bool printable = b >= 0x21 && b <= 0x7E;
        if (printable && (shiftOut_ || mode_ == Kana)) {
            put(b <= 0x5F ? t.Kana(uint8_t(b | 0x80)) : eucjp::Table::kNone, 1);
            ++i;
            continue;
        }
        if (printable && (mode_ == Jis0208 || mode_ == Jis0212)) {
            if (i + 1 >= n && !end) break;  // the pair's second byte comes next
            if (i + 1 >= n || in[i + 1] < 0x21 || in[i + 1] > 0x7E) {
                *o++ = kBad;  // half a pair
                ++i;
                continue;
            }
            const uint8_t a = uint8_t(b | 0x80), c = uint8_t(in[i + 1] | 0x80);
            put(mode_ == Jis0208 ? t.Pair(a, c) : t.Ext(a, c), 2);
            i += 2;
            continue;
        }
        *o++ = char(b);
        ++i;
    }
    used = i;
    return size_t(o - out);
}

size_t TToUtf8::Feed(const char* in, size_t n, bool end, char* out, size_t& used)
{
    const auto* p = reinterpret_cast<const uint8_t*>(in);
    switch (charset_) {
    case TCharset::Utf16Le: return Utf16ToUtf8<false>(p, n, end, out, used);
    case TCharset::Utf16Be: return Utf16ToUtf8<true>(p, n, end, out, used);
    case TCharset::Iso2022Jp: return Iso2022Jp(p, n, end, out, used);
    default:
        std::memcpy(out, in, n);
        used = n;
        return n;
    }
}

size_t ToUtf8(TCharset c, const char* in, size_t n, char* out)
{
    TToUtf8 t(c);
    size_t used;
    return t.Feed(in, n, true, out, used);
}

}  // namespace charset
