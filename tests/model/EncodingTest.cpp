// The encoding object's character rules against the plain oracle, what characters decode to and
// how wide they are, and cutting, hit-testing and loading texts of every encoding: one text
// written in code page 932, EUC-JP and UTF-8 is cut at the same characters.
#include "model/BvEncoding.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <random>
#include <tuple>

#include "model/BvLines.h"
#include "model/BvStrings.h"
#include "support/CellMeasure.h"
#include "support/EncodingOracle.h"
#include "support/JapaneseText.h"
#include "support/ReadSeam.h"

namespace {

constexpr TBvEncoding::Kind kKinds[] = {TBvEncoding::Cp932, TBvEncoding::EucJp, TBvEncoding::Utf8};

const uint8_t* U(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string RandomBytes(std::mt19937& rng, size_t n)
{
    // Bytes of every class the three encodings tell apart, and some of any value.
    static const int pool[] = {'a',  '\t', 0x00, 0x81, 0x82, 0x9F, 0xE0, 0xFC, 0x40, 0x7F, 0xA4, 0xB1,
                               0xFE, 0x8E, 0x8F, 0xE3, 0x80, 0xBF, 0xC3, 0xF0, 0x9F, 0xED, 0xCC, 0x81};
    std::string s;
    for (size_t i = 0; i < n; ++i) s += char(rng() % 4 ? pool[rng() % std::size(pool)] : int(rng() % 256));
    return s;
}

TBvCharKind KindOf(TBvEncoding e, std::string_view s) { return e.At(U(s), s.size()).kind; }

}  // namespace

TEST(Encoding, CharacterRulesAgreeWithTheOracle)
{
    std::mt19937 rng(1);
    for (int round = 0; round < 400; ++round) {
        const std::string s = RandomBytes(rng, 30);
        for (const TBvEncoding::Kind k : kKinds) {
            const TBvEncoding e(k);
            const std::vector<bool> starts = OracleCharStarts(k, s);
            for (size_t i = 0; i < s.size(); ++i) {
                ASSERT_EQ(e.CharLen(U(s) + i, s.size() - i), OracleCharLength(k, s, i)) << k << " at " << i;
                if (k != TBvEncoding::Cp932) {
                    // Measuring walks the same characters (code page 932 pairs a lead byte with a
                    // byte that cannot trail for wrapping only).
                    ASSERT_EQ(e.At(U(s) + i, s.size() - i).bytes, OracleCharLength(k, s, i)) << k << " at " << i;
                }
            }
            for (size_t from = 0; from < s.size(); ++from) {
                if (!starts[from]) continue;
                for (size_t q = from; q <= s.size(); ++q)
                    ASSERT_EQ(e.IsCharStart(U(s), s.size(), from, q), bool(starts[q])) << k << " " << from << " " << q;
            }
        }
    }
}

TEST(Encoding, WhatCharactersAre)
{
    using E = TBvEncoding;
    using K = TBvCharKind;
    // (encoding, bytes, kind, bytes taken, cells, Unicode value)
    // clang-format off
    const std::vector<std::tuple<E::Kind, std::string, K, int, int, char32_t>> cases = {
        {E::Cp932, "\x8A\xBF", K::Char, 2, 2, U'漢'},  {E::Cp932, "\xB1", K::Char, 1, 1, U'ｱ'},
        {E::Cp932, "\x85\x40", K::Unassigned, 2, 2, 0}, {E::Cp932, "\x82 ", K::Bad, 1, 1, 0},
        {E::EucJp, "\xB4\xC1", K::Char, 2, 2, U'漢'},  {E::EucJp, "\x8E\xB1", K::Char, 2, 1, U'ｱ'},
        {E::EucJp, "\x8F\xB0\xA1", K::Char, 3, 2, U'丂'}, {E::EucJp, "\xA9\xA1", K::Unassigned, 2, 2, 0},
        {E::EucJp, "\xA4", K::Bad, 1, 1, 0},           {E::EucJp, "\x01", K::Bad, 1, 1, 0},
        {E::Utf8, "\xE6\xBC\xA2", K::Char, 3, 2, U'漢'}, {E::Utf8, "\xEF\xBD\xB1", K::Char, 3, 1, U'ｱ'},
        {E::Utf8, "\xF0\x9F\x98\x80", K::Char, 4, 2, U'😀'}, {E::Utf8, "\xCC\x81", K::Char, 2, 0, U'\u0301'},
        {E::Utf8, "\xC2\x85", K::Bad, 2, 1, 0},         {E::Utf8, "\xE3\x81", K::Bad, 1, 1, 0},
        {E::Utf8, "\xC0\x80", K::Bad, 1, 1, 0},         {E::Utf8, "\t", K::Tab, 1, 1, 0},
        {E::Utf8, "\x7F", K::Bad, 1, 1, 0},             {E::Utf8, "~", K::Char, 1, 1, U'~'},
    };
    // clang-format on
    for (const auto& [k, bytes, kind, n, cells, ch] : cases) {
        const TBvChar c = TBvEncoding(k).At(U(bytes), bytes.size());
        EXPECT_EQ(std::tuple(c.kind, int(c.bytes), int(c.cells), c.ch), std::tuple(kind, n, cells, ch))
            << k << " " << QByteArray::fromStdString(bytes).toHex().constData();
    }
    // Characters of zero width join the one before them.
    const TBvEncoding u(TBvEncoding::Utf8);
    const std::string joined = "e\xCC\x81\xEF\xB8\x8Fx";
    EXPECT_EQ(u.ClusterLen(U(joined), joined.size()), 6u);
    EXPECT_EQ(u.ClusterLen(U(joined) + 1, joined.size() - 1), 5u);  // a mark alone takes the ones after it
    EXPECT_EQ(KindOf(u, "\xEF\xBB\xBF"), K::Char);  // a byte order mark within a text: a character of no width
}

TEST(Encoding, BytesAreCells)
{
    // clang-format off
    const std::vector<std::tuple<TBvEncoding::Kind, std::string, bool>> cases = {
        {TBvEncoding::Cp932, "\x8A\xBF\xB1\x85", true},   {TBvEncoding::EucJp, "\xB4\xC1" "abc", true},
        {TBvEncoding::EucJp, "\xB4\xC1\x8E\xB1", false},  {TBvEncoding::EucJp, "a\x8F\xB0\xA1", false},
        {TBvEncoding::Utf8, "plain ASCII text, long", true}, {TBvEncoding::Utf8, "plain ASCII text,\xC3\xA9", false},
    };
    for (const auto& [k, bytes, want] : cases) EXPECT_EQ(TBvEncoding(k).BytesAreCells(U(bytes), bytes.size()), want) << bytes;
}

TEST(Encoding, UnicodeBothWays)
{
    const std::vector<std::tuple<TBvEncoding::Kind, std::string, QString>> toUnicode = {
        {TBvEncoding::Cp932, "a\x8A\xBF\x80", QString::fromUtf16(u"a漢\uFFFD")},
        {TBvEncoding::EucJp, "a\xB4\xC1\x8E\xB1\x8F\xB0\xA1\xA9\xA1", QString::fromUtf16(u"a漢ｱ丂\uFFFD")},
        {TBvEncoding::Utf8, "a\t\xE6\xBC\xA2\xF0\x9F\x98\x80\xC2\x85", QString::fromUtf16(u"a\t漢😀\u0085")},
        {TBvEncoding::Utf8, "\xE3\x81" "a\xFF", QString::fromUtf16(u"\uFFFD\uFFFDa\uFFFD")},  // one mark a byte
    };
    // clang-format on
    for (const auto& [k, bytes, text] : toUnicode)
        EXPECT_EQ(TBvEncoding(k).ToUnicode(bytes.data(), bytes.size()), text) << k;
    const QString text = QStringLiteral("検索 abc");
    const std::vector<std::tuple<TBvEncoding::Kind, std::string>> fromUnicode = {
        {TBvEncoding::Cp932, "\x8C\x9F\x8D\xF5 abc"},
        {TBvEncoding::EucJp, "\xB8\xA1\xBA\xF7 abc"},
        {TBvEncoding::Utf8, "\xE6\xA4\x9C\xE7\xB4\xA2 abc"}};
    for (const auto& [k, bytes] : fromUnicode) {
        std::string b;
        ASSERT_TRUE(TBvEncoding(k).FromUnicode(text, b)) << k;
        EXPECT_EQ(b, bytes) << k;
    }
    std::string b;
    EXPECT_FALSE(TBvEncoding(TBvEncoding::Cp932).FromUnicode(QStringLiteral("한"), b));
    EXPECT_FALSE(TBvEncoding(TBvEncoding::EucJp).FromUnicode(QStringLiteral("😀"), b));
    EXPECT_TRUE(TBvEncoding(TBvEncoding::Utf8).FromUnicode(QStringLiteral("한😀"), b));
    EXPECT_FALSE(TBvEncoding(TBvEncoding::Utf8).FromUnicode(QString(QChar(0xD800)), b));  // half a pair
}

namespace {

// (OrgIndex, OrgPos, Len, SubLine, Cr) of every display line.
using Piece = std::tuple<int, int, int, int, bool>;
std::vector<Piece> Derive(TBvEncoding::Kind k, const std::vector<std::string>& lines, int client, int wrapByte,
                          int uniform = 6, int tab = 8)
{
    TBvStrings store;
    store.SetSource({k == TBvEncoding::Cp932   ? TCharset::Cp932
                     : k == TBvEncoding::EucJp ? TCharset::EucJp
                                               : TCharset::Utf8});
    for (const std::string& l : lines) store.Add(TBvText(std::string_view(l)));
    CellMeasure m;
    m.client = client;
    m.uniform = uniform;
    TBvLines v(store, m);
    v.SetViewTabStop(tab);
    v.SetWrapByte(wrapByte);
    v.CalcBvLines(0);
    std::vector<Piece> out;
    for (int i = 0; i < v.GetCount(); ++i) {
        const TBvInfo& r = v.Info(i);
        out.emplace_back(r.OrgIndex, r.OrgPos, r.Len, int(r.SubLine), bool(r.Cr));
    }
    return out;
}

std::vector<int> Starts(const std::vector<Piece>& pieces)
{
    std::vector<int> out;
    for (const Piece& p : pieces) out.push_back(std::get<1>(p));
    return out;
}

}  // namespace

TEST(Cutting, NoCharacterIsSplit)
{
    const std::string kanji = "\xE6\xBC\xA2";  // 漢, two columns, three bytes
    std::string line;
    for (int i = 0; i < 10; ++i) line += kanji;
    // Wrap bytes count columns: 5 columns hold two kanji, never two and a third of a third.
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {line}, 100, 5)), (std::vector<int>{1, 7, 13, 19, 25}));
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {line}, 100, 1)),
              (std::vector<int>{1, 4, 7, 10, 13, 16, 19, 22, 25, 28}));
    // 60 px fit 4 kanji (the fit takes a column off: 9 columns hold 4 full-width characters).
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {line}, 60, 0)), (std::vector<int>{1, 13, 25}));
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {line}, 60, 0, 0)), (std::vector<int>{1, 13, 25}));  // measured alike
    // A combining mark and a variation selector stay with their characters.
    const std::string e = "e\xCC\x81";
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {e + e + e}, 100, 1)), (std::vector<int>{1, 4, 7}));
    EXPECT_EQ(Starts(Derive(TBvEncoding::Utf8, {kanji + "\xEF\xB8\x80" + kanji}, 100, 2)), (std::vector<int>{1, 7}));
    // A line that fits is one piece, marks and all.
    EXPECT_EQ(Derive(TBvEncoding::Utf8, {"\xCC\x81\xCC\x81"}, 100, 0), (std::vector<Piece>{{0, 1, 4, 0, true}}));
    // EUC-JP's three-byte characters and half-width katakana.
    EXPECT_EQ(Starts(Derive(TBvEncoding::EucJp, {"\x8F\xB0\xA1\x8E\xB1\x8E\xB2\xB4\xC1"}, 100, 2)),
              (std::vector<int>{1, 4, 8}));
    // Without katakana and JIS X 0212, EUC-JP is cut as code page 932 is: the byte count less a cut pair.
    EXPECT_EQ(Derive(TBvEncoding::EucJp, {"a\xB4\xC1\xB4\xC1"}, 100, 2),
              (std::vector<Piece>{{0, 1, 1, 0, false}, {0, 2, 2, 1, false}, {0, 4, 2, 2, true}}));
}

// One random text held in code page 932, EUC-JP and UTF-8 is cut at the same characters, at
// every width, with fixed column counts, with and without the uniform-width shortcut.
TEST(Cutting, EveryEncodingCutsATextAtTheSameCharacters)
{
    std::mt19937 rng(9);
    std::vector<std::u32string> text;
    for (int i = 0; i < 60; ++i) text.push_back(RandomJapanese(rng, rng() % 300));
    auto charIndexes = [&](TBvEncoding::Kind k, const std::vector<std::string>& lines,
                           const std::vector<Piece>& pieces) {
        std::vector<std::tuple<int, int, int, bool>> out;
        for (const Piece& p : pieces) {
            const std::string& l = lines[size_t(std::get<0>(p))];
            const std::vector<bool> starts = OracleCharStarts(k, l);
            const int pos = std::get<1>(p);
            const int chars = pos < 1 ? 0 : int(std::count(starts.begin(), starts.begin() + pos - 1, true));
            out.emplace_back(std::get<0>(p), chars, std::get<3>(p), std::get<4>(p));
        }
        return out;
    };
    std::vector<std::string> held[3];
    for (int k = 0; k < 3; ++k)
        for (const std::u32string& l : text)
            held[k].push_back(Encode(k == 0 ? TCharset::Cp932 : k == 1 ? TCharset::EucJp : TCharset::Utf8, l));
    for (const int client : {0, 7, 100, 333})
        for (const int wrapByte : {0, 1, 2, 7, 40})
            for (const int uniform : {6, 0})
                for (const int tab : {8, 0}) {
                    const auto want =
                        charIndexes(kKinds[0], held[0], Derive(kKinds[0], held[0], client, wrapByte, uniform, tab));
                    for (int k = 1; k < 3; ++k)
                        ASSERT_EQ(
                            charIndexes(kKinds[k], held[k], Derive(kKinds[k], held[k], client, wrapByte, uniform, tab)),
                            want)
                            << kKinds[k] << " client " << client << " wrap " << wrapByte << " uniform " << uniform
                            << " tab " << tab;
                }
}

TEST(RowMap, ColumnsAtPixels)
{
    CellMeasure m;
    const std::string cp = "a\x8A\xBF"
                           "b";  // a 漢 b: 6, 12 and 6 px
    const std::string u8 = "a\xE6\xBC\xA2"
                           "b";
    // The first byte of a character of several bytes measures one cell: its left half gives its
    // column, its right half the next.
    // clang-format off
    const std::vector<std::tuple<int64_t, int, int>> cases = {
        // x, column in code page 932, column in UTF-8
        {0, 1, 1}, {6, 1, 1}, {7, 2, 2}, {12, 2, 2}, {13, 4, 5}, {18, 4, 5}, {19, 4, 5}, {24, 4, 5}, {25, 0, 0},
    };
    const TBvRowMap c(m, TBvEncoding::Cp932, 48), u(m, TBvEncoding::Utf8, 48);
    for (const auto& [x, cpCol, u8Col] : cases) {
        EXPECT_EQ(c.Column(cp.data(), int(cp.size()), x, false), cpCol) << x;
        EXPECT_EQ(u.Column(u8.data(), int(u8.size()), x, false), u8Col) << x;
    }
    // Byte-exact columns may fall inside a character: a prefix cut there is a cell a byte.
    EXPECT_EQ(u.Column(u8.data(), int(u8.size()), 13, true), 3);
    EXPECT_EQ(u.X(u8.data(), 2), 12);
    EXPECT_EQ(u.X(u8.data(), 4), 18);
    // A character of zero width is never a column of its own.
    const std::string marks = "e\xCC\x81x";
    EXPECT_EQ(u.Column(marks.data(), int(marks.size()), 7, false), 4);
}

namespace {

struct LoadEncodingTest : ::testing::Test {
    QTemporaryDir dir;
    TBvStrings s;
    std::vector<std::string> Load(const std::string& bytes, std::optional<TCharset> asked = std::nullopt)
    {
        const std::string name = dir.filePath("t.txt").toStdString();
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
        s.LoadFromFile(name, asked);
        std::vector<std::string> out;
        for (int i = 0; i < s.Count(); ++i) out.push_back(s.Get(i).str());
        return out;
    }
};

}  // namespace

TEST_F(LoadEncodingTest, EachEncodingIsHeldAsItsRuleSays)
{
    using V = std::vector<std::string>;
    const std::u32string text = U"一行目\r\n二行目\r\n";
    const std::string utf8 = "\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE";  // 一行目
    const std::string utf8b = "\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE";  // 二行目
    const std::vector<std::tuple<std::string, std::string, std::optional<TCharset>, TBvSource, V>> cases = {
        {"code page 932", Encode(TCharset::Cp932, text), {}, {TCharset::Cp932, false},
         {"\x88\xEA\x8D\x73\x96\xDA", "\x93\xF1\x8D\x73\x96\xDA"}},
        {"EUC-JP", Encode(TCharset::EucJp, text), {}, {TCharset::EucJp, false}, {"\xB0\xEC\xB9\xD4\xCC\xDC", "\xC6\xF3\xB9\xD4\xCC\xDC"}},
        {"UTF-8", Encode(TCharset::Utf8, text), {}, {TCharset::Utf8, false}, {utf8, utf8b}},
        {"UTF-8, its mark not shown", "\xEF\xBB\xBF" + Encode(TCharset::Utf8, text), {}, {TCharset::Utf8, true}, {utf8, utf8b}},
        {"UTF-16LE", Encode(TCharset::Utf16Le, text), {}, {TCharset::Utf16Le, true}, {utf8, utf8b}},
        {"UTF-16BE", Encode(TCharset::Utf16Be, text), {}, {TCharset::Utf16Be, true}, {utf8, utf8b}},
        {"ISO-2022-JP", Encode(TCharset::Iso2022Jp, text), {}, {TCharset::Iso2022Jp, false}, {utf8, utf8b}},
        {"UTF-16 ends at 0x1A", Encode(TCharset::Utf16Le, U"a\r\nb\x1A" "c"), {}, {TCharset::Utf16Le, true}, {"a", "b"}},
        {"UTF-16 lone LF stays", Encode(TCharset::Utf16Le, U"a\nb\r\nc"), {}, {TCharset::Utf16Le, true}, {"a\nb", "c"}},
        {"the mark alone", "\xEF\xBB\xBF", {}, {TCharset::Utf8, true}, {}},
        {"asked for UTF-16LE without a mark", std::string("a\0b\0", 4), TCharset::Utf16Le, {TCharset::Utf16Le, false}, {"ab"}},
        {"asked for UTF-8 with its mark", "\xEF\xBB\xBFx", TCharset::Utf8, {TCharset::Utf8, true}, {"x"}},
        {"asked for code page 932 over a UTF-8 mark", "\xEF\xBB\xBFx", TCharset::Cp932, {TCharset::Cp932, false},
         {"\xEF\xBB\xBFx"}},
    };
    // clang-format on
    for (const auto& [name, bytes, asked, source, lines] : cases) {
        EXPECT_EQ(Load(bytes, asked), lines) << name;
        EXPECT_EQ(s.Source(), source) << name;
        EXPECT_EQ(s.Encoding(), TBvEncoding::Holding(source.charset)) << name;
    }
    s.LoadFromFile(dir.filePath("missing").toStdString(), TCharset::EucJp);
    EXPECT_EQ(s.Source(), (TBvSource{TCharset::EucJp, false}));
}

// Files read a few bytes per call are transcoded as the parts arrive: cut within pairs,
// surrogate pairs and escape sequences, they give the lines their UTF-8 gives.
TEST_F(LoadEncodingTest, TranscodedFilesReadInPartsOfAnySize)
{
    static size_t perCall = SIZE_MAX;
    ReadSeam seam([](int fd, void* b, size_t n) { return ::read(fd, b, std::min(n, perCall)); });
    std::mt19937 rng(14);
    for (int round = 0; round < 60; ++round) {
        std::u32string text;
        for (int i = 0; i < 4; ++i) text += RandomJapanese(rng, rng() % 20) + (rng() % 2 ? U"\r\n" : U"\n");
        perCall = SIZE_MAX;
        const std::vector<std::string> want = Load(Encode(TCharset::Utf8, text)),
                                       wide = Load(Encode(TCharset::Utf8, text + U"😀"));
        perCall = 1 + rng() % 5;
        EXPECT_EQ(Load(Encode(TCharset::Iso2022Jp, text)), want) << "per call " << perCall;
        EXPECT_EQ(Load(Encode(TCharset::Utf16Be, text + U"😀")), wide) << "per call " << perCall;
    }
}

// A large UTF-16 file, read on the second thread and transcoded as it arrives, splits as its
// UTF-8 does.
TEST_F(LoadEncodingTest, LargeTranscodedFilesSplitAsTheirUtf8)
{
    std::mt19937 rng(4);
    std::u32string text;
    while (text.size() < 12000000) text += RandomJapanese(rng, rng() % 200) + (rng() % 3 ? U"\r\n" : U"\n");
    const std::vector<std::string> want = Load(Encode(TCharset::Utf8, text));
    EXPECT_EQ(Load(Encode(TCharset::Utf16Le, text)), want);
    EXPECT_EQ(s.Source().charset, TCharset::Utf16Le);
}
