#include "platform/Cp932.h"

#include <cstring>
#include <vector>

#include "platform/IconvChar.h"

namespace cp932 {

Table::Table()
{
    for (auto& c : single_) c = kNone;
    for (auto& c : pair_) c = kNone;
    iconv_t cd = iconv_open("UCS-4LE", "CP932");
    if (cd == iconv_t(-1)) {
        // Without the converter only ASCII can be shown; the lead-byte rules still hold.
        for (int b = 0; b < 0x80; ++b) single_[b] = char16_t(b);
        return;
    }
    for (int b = 0; b < 256; ++b) {
        if (IsLeadByte(uint8_t(b))) continue;
        const char in = char(b);
        single_[b] = b < 0x80 ? char16_t(b) : platform::IconvChar(cd, &in, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(uint8_t(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrailByte(uint8_t(trail))) continue;
            const char in[2] = {char(lead), char(trail)};
            pair_[(lead << 8) | trail] = platform::IconvChar(cd, in, 2);
        }
    }
    iconv_close(cd);
}

const Table& Table::Instance()
{
    static const Table table;
    return table;
}

QString ToUnicode(const char* data, size_t size)
{
    QString out;
    out.reserve(qsizetype(size));
    const auto* p = reinterpret_cast<const uint8_t*>(data);
    const Table& t = Table::Instance();
    size_t i = 0;
    while (i < size) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            out.append(QChar(char16_t(b)));
            ++i;
            continue;
        }
        if (IsLeadByte(b) && i + 1 < size && IsTrailByte(p[i + 1])) {
            const char16_t c = t.Pair(b, p[i + 1]);
            out.append(QChar(c == Table::kNone ? char16_t(0xFFFD) : c));
            i += 2;
            continue;
        }
        const char16_t c = IsLeadByte(b) ? Table::kNone : t.Single(b);
        out.append(QChar(c == Table::kNone ? char16_t(0xFFFD) : c));
        ++i;
    }
    return out;
}

uint16_t Code(char16_t u)
{
    // Code per character, 0 for none: built once from the decoding table; a single byte before
    // a pair, and the lowest of several pairs.
    static const std::vector<uint16_t> codes = [] {
        std::vector<uint16_t> c(65536, 0);
        const Table& t = Table::Instance();
        for (int code = 0xFFFF; code >= 0x8100; --code) {
            const char16_t x = t.Pair(uint8_t(code >> 8), uint8_t(code));
            if (x != Table::kNone) c[x] = uint16_t(code);
        }
        for (int b = 0xFF; b >= 0; --b)
            if (t.Single(uint8_t(b)) != Table::kNone) c[t.Single(uint8_t(b))] = uint16_t(b);
        return c;
    }();
    return codes[u];
}

bool FromUnicode(const QString& text, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(size_t(text.size()) * 2);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == 0) {
            bytes += '\0';
            continue;
        }
        const uint16_t code = Code(u);
        if (code == 0) return false;
        if (code > 0xFF) bytes += char(code >> 8);
        bytes += char(code);
    }
    return true;
}

}  // namespace cp932
