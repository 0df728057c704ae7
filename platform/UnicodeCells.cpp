#include "platform/UnicodeCells.h"

#include <unicode/uchar.h>

#include <array>
#include <memory>

#include "platform/Cp932.h"

namespace unicode {

namespace {

uint8_t Classify(char32_t c)
{
    const UChar32 u = UChar32(c);
    const int gc = u_charType(u);
    if (gc == U_NON_SPACING_MARK || gc == U_ENCLOSING_MARK ||
        u_hasBinaryProperty(u, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
        return 0;
    const int hst = u_getIntPropertyValue(u, UCHAR_HANGUL_SYLLABLE_TYPE);
    if (hst == U_HST_VOWEL_JAMO || hst == U_HST_TRAILING_JAMO) return 0;
    if (c <= 0xFFFF) {
        const uint16_t code = cp932::Code(char16_t(c));
        if (code != 0) return code > 0xFF ? 2 : 1;
    }
    const int eaw = u_getIntPropertyValue(u, UCHAR_EAST_ASIAN_WIDTH);
    return eaw == U_EA_WIDE || eaw == U_EA_FULLWIDTH ? 2 : 1;
}

}  // namespace

const uint8_t* BmpCells()
{
    static const auto bmp = [] {
        auto t = std::make_unique<std::array<uint8_t, 0x10000>>();
        for (char32_t u = 0; u < 0x10000; ++u) (*t)[u] = Classify(u);
        return t;
    }();
    return bmp->data();
}

const uint8_t* ThreeByteCells()
{
    static const auto three = [] {
        auto t = std::make_unique<std::array<uint8_t, 0x100000>>();
        t->fill(0xFF);
        const uint8_t* bmp = BmpCells();
        for (uint32_t lead = 0; lead < 16; ++lead)
            for (uint32_t b1 = 0x80; b1 <= 0xBF; ++b1)
                for (uint32_t b2 = 0x80; b2 <= 0xBF; ++b2) {
                    const char32_t u = lead << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
                    if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF)) (*t)[lead << 16 | b1 << 8 | b2] = bmp[u];
                }
        return t;
    }();
    return three->data();
}

uint8_t Cells(char32_t c)
{
    if (c < 0x10000) return BmpCells()[c];
    return c <= 0x10FFFF ? Classify(c) : 1;
}

}  // namespace unicode
