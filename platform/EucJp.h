#pragma once
// EUC-JP as Windows-made files carry it (with the NEC and IBM extension characters): the byte
// classes and the decoding table, built once from glibc iconv "EUC-JP-MS".
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string>

class QString;

namespace eucjp {

// A byte of a JIS X 0208 pair, or of the two after 0x8F (JIS X 0212).
constexpr bool IsPairByte(uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
// A half-width katakana's byte after 0x8E.
constexpr bool IsKanaByte(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }
constexpr uint8_t kKanaShift = 0x8E;  // 0x8E + one byte: a half-width katakana
constexpr uint8_t kExtShift = 0x8F;   // 0x8F + two bytes: a JIS X 0212 character

// The length of the character that starts at p (n > 0 bytes remain): 2 for a pair or a kana,
// 3 for a JIS X 0212 character, 1 for anything else (ASCII, and each byte that is no character).
inline size_t CharLen(const uint8_t* p, size_t n)
{
    const uint8_t b = p[0];
    if (IsPairByte(b)) return n >= 2 && IsPairByte(p[1]) ? 2 : 1;
    if (b == kKanaShift) return n >= 2 && IsKanaByte(p[1]) ? 2 : 1;
    if (b == kExtShift) return n >= 3 && IsPairByte(p[1]) && IsPairByte(p[2]) ? 3 : 1;
    return 1;
}

// Whether byte q of s (0-based; q may be the size) starts a character, given that byte `from`
// does. Bytes below 0xA1 never continue a character, so the walk goes back only over the run
// of pair bytes before q; within that run every character is a pair.
inline bool IsCharStart(const uint8_t* s, size_t size, size_t from, size_t q)
{
    if (q <= from || q >= size) return true;
    size_t r = q;
    // Sixteen bytes at a time through a run of kana and kanji: a byte b is a pair byte when
    // b ^ 0x80, taken as signed, lies from 0x21 to 0x7E.
#if defined(__SSE2__)
    while (r - from >= 16) {
        const __m128i x =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + r - 16)), _mm_set1_epi8(char(0x80)));
        const __m128i other =
            _mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(0x21)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F)));
        if (_mm_movemask_epi8(other)) break;
        r -= 16;
    }
#endif
    while (r > from && IsPairByte(s[r - 1])) --r;
    size_t t = r;  // the first character start of the run
    if (r > from) {
        const size_t at = r - 1;  // a byte that cannot continue a character: it starts one
        t = at + CharLen(s + at, size - at);
        if (t > q) return false;
    }
    return (q - t) % 2 == 0 || !IsPairByte(s[q]);
}

class Table {
public:
    static const Table& Instance();
    static constexpr char16_t kNone = 0xFFFF;  // not a character
    char16_t Pair(uint8_t lead, uint8_t trail) const { return pair_[Index(lead, trail)]; }
    char16_t Ext(uint8_t b1, uint8_t b2) const { return ext_[Index(b1, b2)]; }
    char16_t Kana(uint8_t b) const { return kana_[b - 0xA1]; }

private:
    Table();
    static size_t Index(uint8_t a, uint8_t b) { return size_t(a - 0xA1) * 94 + size_t(b - 0xA1); }
    char16_t pair_[94 * 94];
    char16_t ext_[94 * 94];
    char16_t kana_[0xDF - 0xA1 + 1];
};

// The Unicode value of the character of CharLen bytes at p; kNone for a byte that is no
// character and for an unassigned code.
char16_t Decode(const uint8_t* p, size_t len);

// EUC-JP bytes to Unicode, for the clipboard: control bytes keep their code points, bytes
// that are no character and unassigned codes become U+FFFD.
QString ToUnicode(const char* data, size_t size);

// Unicode text to EUC-JP bytes, the inverse of the table (where several codes decode to one
// character, a JIS X 0208 pair before a JIS X 0212 code, and the lowest). False when a
// character has no code.
bool FromUnicode(const QString& text, std::string& bytes);

}  // namespace eucjp
