#pragma once
// One character through glibc iconv, for building the decoding tables once.
#include <iconv.h>

#include <cstddef>

namespace platform {

constexpr char16_t kNoChar = 0xFFFF;

// The Unicode value of the n bytes at in through a converter to "UCS-4LE": kNoChar unless they
// are exactly one character of the Basic Multilingual Plane (where every character of the
// Japanese code pages lies), the replacement character excluded.
char16_t IconvChar(iconv_t cd, const char* in, size_t n);

}  // namespace platform
