#pragma once
// Code page 932 (Windows Shift-JIS): the lead-byte test and the decoding table.
#include <cstddef>
#include <cstdint>
#include <QString>
#include <string>

namespace cp932 {

// The two-byte test: constant lead-byte ranges of code page 932.
constexpr bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Whether byte q (1-based) of s is the trail byte of a two-byte character, in a walk over the
// bytes that starts afresh at byte `from` (1-based; the byte before it is no pending lead): q is
// a trail exactly when an odd number of lead-range bytes runs directly before it, back towards
// from. Costs the length of that run, not a scan from the start.
inline bool IsTrailAt(const uint8_t* s, size_t from, size_t q)
{
    size_t run = 0;
    for (size_t i = q - 1; i >= 1 && i >= from && IsLeadByte(s[i - 1]); --i) ++run;
    return run % 2 == 1;
}

// What the character at a byte position is, for measuring and drawing.
enum class CellKind : uint8_t {
    Single,      // a one-byte character (ASCII printable, half-width katakana)
    Double,      // an assigned two-byte character
    Tab,         // 0x09
    Bad,         // no character: lone or ill-followed lead, undefined byte, control byte; one half cell
    Unassigned,  // a well-formed but unassigned two-byte pair; one full cell
};

struct Cell {
    CellKind kind;
    uint8_t bytes;  // 1 or 2
    char16_t ch;    // Unicode value for Single and Double, else 0
};

// The decoding table: 256 single-byte and 65,536 two-byte entries, built once from glibc
// iconv "CP932" (not "SHIFT_JIS", which maps 0x5C to the yen sign).
class Table {
public:
    static const Table& Instance();
    static constexpr char16_t kNone = 0xFFFF;  // not a character
    char16_t Single(uint8_t b) const { return single_[b]; }
    char16_t Pair(uint8_t lead, uint8_t trail) const { return pair_[(lead << 8) | trail]; }

private:
    Table();
    char16_t single_[256];
    char16_t pair_[65536];
};

// Classifies the character that starts at p (n > 0 bytes remain).
inline Cell CellAt(const uint8_t* p, size_t n)
{
    const uint8_t b = p[0];
    if (b == 0x09) return {CellKind::Tab, 1, 0};
    if (IsLeadByte(b)) {
        if (n < 2 || !IsTrailByte(p[1])) return {CellKind::Bad, 1, 0};  // the lead alone is consumed
        const char16_t c = Table::Instance().Pair(b, p[1]);
        if (c == Table::kNone) return {CellKind::Unassigned, 2, 0};
        return {CellKind::Double, 2, c};
    }
    if (b < 0x20 || b == 0x7F) return {CellKind::Bad, 1, 0};
    const char16_t c = Table::Instance().Single(b);
    if (c == Table::kNone) return {CellKind::Bad, 1, 0};
    return {CellKind::Single, 1, c};
}

// CP932 bytes to Unicode, for the clipboard: control bytes keep their code points,
// bytes that are no character become U+FFFD.
QString ToUnicode(const char* data, size_t size);

// The CP932 code of a character (a byte, or lead << 8 | trail), the inverse of the decoding
// table; 0 when it has none (and for NUL).
uint16_t Code(char16_t u);

// Unicode text to CP932 bytes, the inverse of the decoding table (where several codes decode to
// one character, the lowest). False when a character has no CP932 code.
bool FromUnicode(const QString& text, std::string& bytes);

}  // namespace cp932
