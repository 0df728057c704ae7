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
// The cells of a three-byte UTF-8 sequence by the 16 bits it carries, 0xFF where those are no
// character such a sequence may carry (an overlong form, a surrogate): one look-up decides both.
const uint8_t* ThreeByteCells();

}  // namespace unicode
