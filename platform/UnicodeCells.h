#pragma once
// How many half-width cells a Unicode character takes in the view, from ICU's character
// properties (no hand-written width table).
#include <cstdint>

namespace unicode {

// 0 for a character of zero width, which joins the character before it (combining marks,
// variation selectors, joiners and the other default-ignorable code points, Hangul medial and
// final jamo); 2 for a character that code page 932 writes in two bytes (so that a text looks
// alike in every encoding) and for East Asian Wide and Fullwidth characters; 1 otherwise.
uint8_t Cells(char32_t c);
// Cells of the 65,536 characters of the Basic Multilingual Plane, where nearly every character
// of a text lies: a table made once, for loops that look up many.
const uint8_t* BmpCells();
// The cells of the UTF-8 sequence that a byte 0xE0-0xEF begins, by the 20 bits of its lead's low
// half and the two bytes after it (lead & 0x0F) << 16 | second << 8 | third; 0xFF where those
// make no three-byte character (a byte that does not continue it, an overlong form, a
// surrogate): one look-up both checks and measures the sequence.
const uint8_t* ThreeByteCells();

}  // namespace unicode
