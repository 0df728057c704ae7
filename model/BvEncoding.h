#pragma once
// The encoding a text is held in: the one place that says where its characters start and end,
// what they decode to, how wide a cell they take and how Unicode encodes into it. Code page 932,
// EUC-JP and UTF-8 texts hold a file's own bytes; UTF-16 and ISO-2022-JP files are held as
// UTF-8 (see platform/Charset.h).
//
// A value of one byte; the queries that run per byte (character lengths, starts, cells) are
// inline switches on the kind, so that wrapping and measuring pay no call per character.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Charset.h"
#include "platform/Cp932.h"
#include "platform/EucJp.h"
#include "platform/UnicodeCells.h"
#include "platform/Utf8.h"

// What the character at a position is, for measuring and drawing.
enum class TBvCharKind : uint8_t {
    Char,        // a character: its advance in the view font, or its cells when the font lacks it
    Tab,         // 0x09
    Bad,         // no character (an invalid byte, a control character): one half-width cell
    Unassigned,  // a well-formed but unassigned two-byte code: one full-width cell
};

struct TBvChar {
    TBvCharKind kind;
    uint8_t bytes;  // 1 to 4
    uint8_t cells;  // half-width cells: 0 for a character that joins the one before it, 1 or 2
    char32_t ch;    // the Unicode value of a Char, else 0
};

// The encoding a text was read in, and whether its file began with a byte order mark.
struct TBvSource {
    TCharset charset = TCharset::Cp932;
    bool bom = false;
    friend bool operator==(const TBvSource&, const TBvSource&) = default;
};

class TBvEncoding {
public:
    enum Kind : uint8_t { Cp932, EucJp, Utf8 };

    constexpr TBvEncoding(Kind k = Cp932) : kind_(k) {}
    // How a text read in c is held.
    static constexpr TBvEncoding Holding(TCharset c)
    {
        return c == TCharset::Cp932 ? Cp932 : c == TCharset::EucJp ? EucJp : Utf8;
    }
    constexpr Kind kind() const { return kind_; }
    friend constexpr bool operator==(TBvEncoding a, TBvEncoding b) { return a.kind_ == b.kind_; }

    // The bytes of the character at p (n > 0 bytes remain); a byte that is no character is one.
    // In code page 932 a lead byte takes the byte after it, whatever that is, as wrapping and
    // pointing always have.
    size_t CharLen(const uint8_t* p, size_t n) const
    {
        switch (kind_) {
        case Cp932: return cp932::IsLeadByte(p[0]) && n >= 2 ? 2 : 1;
        case EucJp: return eucjp::CharLen(p, n);
        case Utf8: break;
        }
        if (p[0] < 0x80) return 1;
        const size_t len = utf8::SeqLen(p, n);
        return len ? len : 1;
    }

    // The character at p with the characters of zero width that follow it: the unit that no
    // wrap, selection or caret separates.
    size_t ClusterLen(const uint8_t* p, size_t n) const
    {
        size_t len = CharLen(p, n);
        if (kind_ == Utf8)
            while (len < n && p[len] >= 0x80) {
                const TBvChar c = At(p + len, n - len);
                if (c.kind != TBvCharKind::Char || c.cells != 0) break;
                len += c.bytes;
            }
        return len;
    }

    // Whether byte q of s (0-based; q may be the size) starts a character, given that byte
    // `from` does; the walk goes back no further than it must.
    bool IsCharStart(const uint8_t* s, size_t size, size_t from, size_t q) const
    {
        switch (kind_) {
        case Cp932: return q >= size || !cp932::IsTrailAt(s, from + 1, q + 1);
        case EucJp: return eucjp::IsCharStart(s, size, from, q);
        case Utf8: break;
        }
        return utf8::IsCharStart(s, size, from, q);
    }

    // Whether every character in s takes as many cells as it has bytes, so that a byte count is
    // a column count: always in code page 932; in EUC-JP without half-width katakana and JIS X
    // 0212 (0x8E, 0x8F); in UTF-8 for ASCII alone.
    bool BytesAreCells(const uint8_t* s, size_t n) const;

    // The character at p (n > 0 bytes remain), for measuring and drawing.
    TBvChar At(const uint8_t* p, size_t n) const
    {
        const uint8_t b = p[0];
        if (b == 0x09) return {TBvCharKind::Tab, 1, 1, 0};
        if (b < 0x80 && kind_ != Cp932) {
            if (b < 0x20 || b == 0x7F) return {TBvCharKind::Bad, 1, 1, 0};
            return {TBvCharKind::Char, 1, 1, b};
        }
        switch (kind_) {
        case Cp932: {
            const cp932::Cell c = cp932::CellAt(p, n);
            switch (c.kind) {
            case cp932::CellKind::Single: return {TBvCharKind::Char, 1, 1, c.ch};
            case cp932::CellKind::Double: return {TBvCharKind::Char, 2, 2, c.ch};
            case cp932::CellKind::Unassigned: return {TBvCharKind::Unassigned, 2, 2, 0};
            default: return {TBvCharKind::Bad, 1, 1, 0};
            }
        }
        case EucJp: {
            const size_t len = eucjp::CharLen(p, n);
            if (len == 1) return {TBvCharKind::Bad, 1, 1, 0};
            const char16_t c = eucjp::Decode(p, len);
            const uint8_t cells = b == eucjp::kKanaShift ? 1 : 2;
            if (c == eucjp::Table::kNone) return {TBvCharKind::Unassigned, uint8_t(len), cells, 0};
            return {TBvCharKind::Char, uint8_t(len), cells, c};
        }
        case Utf8: break;
        }
        const size_t len = utf8::SeqLen(p, n);
        if (len == 0) return {TBvCharKind::Bad, 1, 1, 0};
        const char32_t c = utf8::Decode(p, len);
        if (c < 0xA0) return {TBvCharKind::Bad, uint8_t(len), 1, 0};  // a C1 control character
        return {TBvCharKind::Char, uint8_t(len), unicode::Cells(c), c};
    }

    // The bytes as Unicode text, for the clipboard: control characters keep their code points,
    // each byte that is no character and each unassigned code becomes U+FFFD.
    QString ToUnicode(const char* s, size_t n) const;
    // Unicode text in this encoding, for finding it; false when a character has no code here.
    bool FromUnicode(const QString& text, std::string& bytes) const;

private:
    Kind kind_;
};
