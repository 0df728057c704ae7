#pragma once
// Colours as 0x00BBGGRR values, as the settings keep them and the view draws them.
#include <cstdint>

using TColor = uint32_t;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clAqua = 0xFFFF00;
