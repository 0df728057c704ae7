#include "model/BvEncoding.h"

#include <cstring>

bool TBvEncoding::BytesAreCells(const uint8_t* s, size_t n) const
{
    switch (kind_) {
    case Cp932: return true;
    case EucJp: return !std::memchr(s, eucjp::kKanaShift, n) && !std::memchr(s, eucjp::kExtShift, n);
    case Utf8: break;
    }
    // Eight bytes at a time: a line of Japanese text shows a high bit at once.
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, s + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < n; ++i)
        if (s[i] >= 0x80) return false;
    return true;
}

QString TBvEncoding::ToUnicode(const char* s, size_t n) const
{
    switch (kind_) {
    case Cp932: return cp932::ToUnicode(s, n);
    case EucJp: return eucjp::ToUnicode(s, n);
    case Utf8: break;
    }
    QString out;
    out.reserve(qsizetype(n));
    const auto* p = reinterpret_cast<const uint8_t*>(s);
    for (size_t i = 0; i < n;) {
        const size_t len = p[i] < 0x80 ? 1 : utf8::SeqLen(p + i, n - i);
        if (len == 0) {
            out.append(QChar(u'\uFFFD'));
            ++i;
            continue;
        }
        const char32_t c = utf8::Decode(p + i, len);
        if (c < 0x10000) {
            out.append(QChar(char16_t(c)));
        } else {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        }
        i += len;
    }
    return out;
}

bool TBvEncoding::FromUnicode(const QString& text, std::string& bytes) const
{
    switch (kind_) {
    case Cp932: return cp932::FromUnicode(text, bytes);
    case EucJp: return eucjp::FromUnicode(text, bytes);
    case Utf8: break;
    }
    // A lone surrogate has no UTF-8.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        else if (c.isSurrogate()) return false;
    }
    const QByteArray u = text.toUtf8();
    bytes.assign(u.constData(), size_t(u.size()));
    return true;
}
