#pragma once
// Random Japanese text and its bytes in each encoding, for the tests that hold one text in every
// encoding against another. The characters are ones every encoding writes alike: ASCII, tabs,
// hiragana, katakana, kanji of JIS level 1, common punctuation, full-width letters and digits,
// and (where asked) half-width katakana. The bytes come from glibc iconv, apart from the code of
// the viewer.
#include <iconv.h>

#include <random>
#include <stdexcept>
#include <string>

#include "platform/Charset.h"

// iconv from UTF-32 to an encoding by its iconv name; throws when a character has no code.
inline std::string IconvFromUtf32(const char* to, const std::u32string& text)
{
    iconv_t cd = iconv_open(to, "UTF-32LE");
    if (cd == iconv_t(-1)) throw std::runtime_error(std::string("no converter to ") + to);
    std::string out(text.size() * 8 + 16, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    size_t inLeft = text.size() * 4, outLeft = out.size();
    char* o = out.data();
    const bool ok =
        iconv(cd, &in, &inLeft, &o, &outLeft) != size_t(-1) && iconv(cd, nullptr, nullptr, &o, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok) throw std::runtime_error(std::string("cannot write the text in ") + to);
    out.resize(out.size() - outLeft);
    return out;
}

// The 2,965 kanji of JIS level 1 (EUC-JP rows 16 to 47), by iconv.
inline const std::u32string& Level1Kanji()
{
    static const std::u32string set = [] {
        std::string euc;
        for (int row = 0xB0; row <= 0xCF; ++row)
            for (int cell = 0xA1; cell <= (row == 0xCF ? 0xD3 : 0xFE); ++cell) euc += {char(row), char(cell)};
        iconv_t cd = iconv_open("UTF-32LE", "EUC-JP");
        std::u32string out(euc.size(), U'\0');
        char* in = euc.data();
        char* o = reinterpret_cast<char*>(out.data());
        size_t inLeft = euc.size(), outLeft = out.size() * 4;
        if (cd == iconv_t(-1) || iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1))
            throw std::runtime_error("no EUC-JP");
        iconv_close(cd);
        out.resize(out.size() - outLeft / 4);
        return out;
    }();
    return set;
}

inline std::u32string RandomJapanese(std::mt19937& rng, size_t chars, bool halfWidthKana = true)
{
    static const std::u32string punctuation = U"、。「」・ー！？（）";
    std::u32string out;
    for (size_t i = 0; i < chars; ++i) {
        const int kind = int(rng() % 100);
        char32_t c;
        if (kind < 30) c = U'ぁ' + rng() % 83;       // ぁ .. ん
        else if (kind < 45) c = U'ァ' + rng() % 86;  // ァ .. ヶ
        else if (kind < 70) c = Level1Kanji()[rng() % Level1Kanji().size()];
        else if (kind < 75) c = punctuation[rng() % punctuation.size()];
        else if (kind < 78) c = U'Ａ' + rng() % 26;
        else if (kind < 81) c = U'０' + rng() % 10;
        else if (kind < 84 && halfWidthKana) c = U'ｱ' + rng() % 45;  // ｱ .. ﾝ
        else if (kind < 87) c = U'\t';
        else c = U' ' + rng() % 95;  // printable ASCII
        out += c;
    }
    return out;
}

// The text's bytes in an encoding; UTF-16 with its byte order mark.
inline std::string Encode(TCharset c, const std::u32string& text)
{
    switch (c) {
    case TCharset::Cp932: return IconvFromUtf32("CP932", text);
    case TCharset::EucJp: return IconvFromUtf32("EUC-JP-MS", text);
    case TCharset::Iso2022Jp: return IconvFromUtf32("ISO-2022-JP-3", text);  // with JIS X 0201 katakana
    case TCharset::Utf8: return IconvFromUtf32("UTF-8", text);
    case TCharset::Utf16Le: return "\xFF\xFE" + IconvFromUtf32("UTF-16LE", text);
    case TCharset::Utf16Be: return "\xFE\xFF" + IconvFromUtf32("UTF-16BE", text);
    }
    return {};
}
