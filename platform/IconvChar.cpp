#include "platform/IconvChar.h"

#include <cstring>

namespace platform {

char16_t IconvChar(iconv_t cd, const char* in, size_t n)
{
    char buf[8];
    char* inp = const_cast<char*>(in);
    char* outp = buf;
    size_t inLeft = n, outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1) || inLeft != 0) return kNoChar;
    if (sizeof buf - outLeft != 4) return kNoChar;
    char32_t u;
    std::memcpy(&u, buf, 4);
    if (u > 0xFFFF || u == 0xFFFD || u == 0xFFFF) return kNoChar;
    return char16_t(u);
}

}  // namespace platform
