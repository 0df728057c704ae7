#include "platform/Cp932.h"

#include <gtest/gtest.h>

using cp932::CellKind;
using cp932::Table;

namespace {

cp932::Cell At(std::initializer_list<uint8_t> bytes) { return cp932::CellAt(std::data(bytes), bytes.size()); }

}  // namespace

TEST(Cp932, LeadAndTrailRanges)
{
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(cp932::IsLeadByte(uint8_t(b)), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
        EXPECT_EQ(cp932::IsTrailByte(uint8_t(b)), b >= 0x40 && b <= 0xFC && b != 0x7F) << b;
    }
}

TEST(Cp932, TableFacts)
{
    const Table& t = Table::Instance();
    EXPECT_EQ(t.Single(0x5C), u'\\');  // not the yen sign
    EXPECT_EQ(t.Single(0x7E), u'~');
    EXPECT_EQ(t.Single(0xB1), u'ｱ');
    EXPECT_EQ(t.Pair(0x82, 0xA0), u'あ');
    EXPECT_EQ(t.Pair(0x8A, 0xBF), u'漢');
    EXPECT_EQ(t.Pair(0x87, 0x40), u'①');  // a vendor row of code page 932
    EXPECT_EQ(t.Pair(0x85, 0x40), Table::kNone);
    for (uint8_t b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) EXPECT_EQ(t.Single(b), Table::kNone) << int(b);
}

TEST(Cp932, CellAtRules)
{
    EXPECT_EQ(At({'A'}).kind, CellKind::Single);
    EXPECT_EQ(At({0xB1}).ch, u'ｱ');
    const cp932::Cell kan = At({0x8A, 0xBF});
    EXPECT_EQ(std::tuple(kan.kind, kan.bytes, kan.ch), std::tuple(CellKind::Double, 2, u'漢'));
    EXPECT_EQ(At({0x09, 'a'}).kind, CellKind::Tab);
    const cp932::Cell unassigned = At({0x85, 0x40});
    EXPECT_EQ(std::tuple(unassigned.kind, unassigned.bytes), std::tuple(CellKind::Unassigned, 2));
    // A lone lead at the end, or a lead before a byte that cannot trail, is consumed alone.
    for (auto c : {At({0x82}), At({0x82, 0x20}), At({0x82, 0x7F}), At({0x82, 0x09}), At({0xE0, 0xFD})})
        EXPECT_EQ(std::tuple(c.kind, c.bytes), std::tuple(CellKind::Bad, 1));
    for (uint8_t b : {0x00, 0x01, 0x0A, 0x0D, 0x1A, 0x1F, 0x7F, 0x80, 0xA0, 0xFD, 0xFF})
        EXPECT_EQ(At({b, 'a'}).kind, CellKind::Bad) << int(b);
}

TEST(Cp932, ToUnicode)
{
    const char in[] = "a\t\0\r\n\x82\xA0\x5C\xB1\x80\x85\x40\x82";
    EXPECT_EQ(cp932::ToUnicode(in, sizeof in - 1), QString::fromUtf16(u"a\t\0\r\nあ\\ｱ\uFFFD\uFFFD\uFFFD", 11));
    EXPECT_EQ(cp932::ToUnicode("\x82 ", 2), QString::fromUtf16(u"\uFFFD "));  // the lead alone is lost
}

TEST(Cp932, FromUnicode)
{
    std::string b;
    ASSERT_TRUE(cp932::FromUnicode(QStringLiteral("a\\ｱ検索∵"), b));
    EXPECT_EQ(b, "a\\\xB1\x8C\x9F\x8D\xF5\x81\xE6");  // ∵ also decodes from 0x879A and 0xFA5B
    EXPECT_FALSE(cp932::FromUnicode(QStringLiteral("a😀"), b));
    EXPECT_FALSE(cp932::FromUnicode(QStringLiteral("ä"), b));
    // Every character the table decodes comes back to a code that decodes to it.
    const cp932::Table& t = cp932::Table::Instance();
    for (int code = 0x8140; code <= 0xFCFC; ++code) {
        const char16_t u = t.Pair(uint8_t(code >> 8), uint8_t(code));
        if (u == cp932::Table::kNone) continue;
        ASSERT_TRUE(cp932::FromUnicode(QString(QChar(u)), b)) << std::hex << code;
        EXPECT_EQ(cp932::ToUnicode(b.data(), b.size()), QString(QChar(u))) << std::hex << code;
    }
}
