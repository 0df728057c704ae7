#include "platform/EucJp.h"

#include <QString>
#include <cstring>
#include <vector>

#include "platform/IconvChar.h"

namespace eucjp {

Table::Table()
{
    for (auto& c : pair_) c = kNone;
    for (auto& c : ext_) c = kNone;
    for (auto& c : kana_) c = kNone;
    iconv_t cd = iconv_open("UCS-4LE", "EUC-JP-MS");
    if (cd == iconv_t(-1)) return;  // without the converter only ASCII can be shown
    for (int a = 0xA1; a <= 0xFE; ++a)
        for (int b = 0xA1; b <= 0xFE; ++b) {
            const char two[2] = {char(a), char(b)};
            pair_[Index(uint8_t(a), uint8_t(b))] = platform::IconvChar(cd, two, 2);
            const char three[3] = {char(kExtShift), char(a), char(b)};
            ext_[Index(uint8_t(a), uint8_t(b))] = platform::IconvChar(cd, three, 3);
        }
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const char two[2] = {char(kKanaShift), char(b)};
        kana_[b - 0xA1] = platform::IconvChar(cd, two, 2);
    }
    iconv_close(cd);
}

const Table& Table::Instance()
{
    static const Table table;
    return table;
}

char16_t Decode(const uint8_t* p, size_t len)
{
    const Table& t = Table::Instance();
    if (len == 2) return p[0] == kKanaShift ? t.Kana(p[1]) : t.Pair(p[0], p[1]);
    if (len == 3) return t.Ext(p[1], p[2]);
    return p[0] < 0x80 ? char16_t(p[0]) : Table::kNone;
}

QString ToUnicode(const char* data, size_t size)
{
    QString out;
    out.reserve(qsizetype(size));
    const auto* p = reinterpret_cast<const uint8_t*>(data);
    size_t i = 0;
    while (i < size) {
        const size_t len = CharLen(p + i, size - i);
        const char16_t c = Decode(p + i, len);
        out.append(QChar(c == Table::kNone ? char16_t(0xFFFD) : c));
        i += len;
    }
    return out;
}

bool FromUnicode(const QString& text, std::string& bytes)
{
    // Code per character, 0 for none, built once from the table: 1-3 bytes, the first in the
    // highest byte used.
    static const std::vector<uint32_t> codes = [] {
        std::vector<uint32_t> c(65536, 0);
        const Table& t = Table::Instance();
        for (int a = 0xFE; a >= 0xA1; --a)
            for (int b = 0xFE; b >= 0xA1; --b) {
                const char16_t x = t.Ext(uint8_t(a), uint8_t(b));
                if (x != Table::kNone) c[x] = (uint32_t(kExtShift) << 16) | uint32_t(a << 8) | uint32_t(b);
            }
        for (int b = 0xDF; b >= 0xA1; --b)
            if (t.Kana(uint8_t(b)) != Table::kNone) c[t.Kana(uint8_t(b))] = (uint32_t(kKanaShift) << 8) | uint32_t(b);
        for (int a = 0xFE; a >= 0xA1; --a)
            for (int b = 0xFE; b >= 0xA1; --b) {
                const char16_t x = t.Pair(uint8_t(a), uint8_t(b));
                if (x != Table::kNone) c[x] = uint32_t(a << 8) | uint32_t(b);
            }
        for (uint32_t b = 1; b < 0x80; ++b) c[b] = b;
        return c;
    }();
    bytes.clear();
    bytes.reserve(size_t(text.size()) * 2);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == 0) {
            bytes += '\0';
            continue;
        }
        const uint32_t code = codes[u];
        if (code == 0) return false;
        if (code > 0xFFFF) bytes += char(code >> 16);
        if (code > 0xFF) bytes += char(code >> 8);
        bytes += char(code);
    }
    return true;
}

}  // namespace eucjp
