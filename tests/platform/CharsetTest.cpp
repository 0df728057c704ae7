// The encodings' byte rules, the decoding tables, the cells of characters, detection over a
// sample, and transcoding to UTF-8.
#include "platform/Charset.h"

#include <gtest/gtest.h>

#include <QString>
#include <random>
#include <string>
#include <tuple>

#include "platform/EucJp.h"
#include "platform/UnicodeCells.h"
#include "platform/Utf8.h"
#include "support/EncodingOracle.h"
#include "support/JapaneseText.h"

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Random bytes drawn mostly from the classes an encoding's rules tell apart.
std::string RandomBytes(std::mt19937& rng, size_t n, std::initializer_list<int> classes)
{
    const std::vector<int> pool(classes);
    std::string s;
    for (size_t i = 0; i < n; ++i) s += char(rng() % 4 ? pool[rng() % pool.size()] : int(rng() % 256));
    return s;
}

// The sample detection reads from a whole file held in memory.
charset::TDetected DetectBytes(const std::string& file)
{
    std::vector<charset::TPiece> pieces;
    for (const auto& [at, n] : charset::TSample::Places(file.size()))
        pieces.push_back({std::string_view(file).substr(at, n), at});
    return charset::Detect(pieces, file.size());
}

std::string ToUtf8(TCharset c, const std::string& in)
{
    std::string out(charset::Utf8Bound(c, in.size()), '\0');
    out.resize(charset::ToUtf8(c, in.data(), in.size(), out.data()));
    return out;
}

std::string Utf8Of(const std::u32string& s) { return IconvFromUtf32("UTF-8", s); }

}  // namespace

TEST(EucJp, CharacterLengths)
{
    // clang-format off
    const std::vector<std::pair<std::string, size_t>> cases = {
        {"A", 1},           {"\xA4\xA2", 2},     {"\xA4", 1},          {"\xA4 ", 1},       {"\xFE\xFE", 2},
        {"\x8E\xB1", 2},    {"\x8E\xDF", 2},     {"\x8E\xE0", 1},      {"\x8E ", 1},       {"\x8E", 1},
        {"\x8F\xB0\xA1", 3}, {"\x8F\xB0", 1},    {"\x8F\xB0 ", 1},     {"\x80\xA1", 1},    {"\xFF\xA1", 1},
        {"\xA0\xA1", 1},    {"\xA1\xA0", 1},
    };
    for (const auto& [bytes, len] : cases) EXPECT_EQ(eucjp::CharLen(U(bytes), bytes.size()), len) << QByteArray::fromStdString(bytes).toHex().constData();
}

TEST(EucJp, TableFacts)
{
    const eucjp::Table& t = eucjp::Table::Instance();
    EXPECT_EQ(t.Pair(0xA4, 0xA2), u'あ');
    EXPECT_EQ(t.Pair(0xB4, 0xC1), u'漢');
    EXPECT_EQ(t.Pair(0xAD, 0xA1), u'①');   // NEC's row 13
    EXPECT_EQ(t.Pair(0xA1, 0xC1), u'～');   // the form Windows gives it
    EXPECT_EQ(t.Kana(0xB1), u'ｱ');
    EXPECT_EQ(t.Ext(0xB0, 0xA1), u'丂');    // JIS X 0212
    EXPECT_EQ(t.Pair(0xA9, 0xA1), eucjp::Table::kNone);
    EXPECT_EQ(eucjp::ToUnicode("a\t\xA4\xA2\x8E\xB1\xA9\xA1\x80\xA4", 10), QString::fromUtf16(u"a\tあｱ\uFFFD\uFFFD\uFFFD"));
    std::string b;
    ASSERT_TRUE(eucjp::FromUnicode(QStringLiteral("a漢ｱ丂"), b));
    EXPECT_EQ(b, "a\xB4\xC1\x8E\xB1\x8F\xB0\xA1");
    EXPECT_FALSE(eucjp::FromUnicode(QStringLiteral("😀"), b));
    // Every code the table decodes comes back to a code that decodes to it.
    for (int a = 0xA1; a <= 0xFE; ++a)
        for (int c = 0xA1; c <= 0xFE; ++c)
            for (const char16_t u : {t.Pair(uint8_t(a), uint8_t(c)), t.Ext(uint8_t(a), uint8_t(c))}) {
                if (u == eucjp::Table::kNone) continue;
                ASSERT_TRUE(eucjp::FromUnicode(QString(QChar(u)), b)) << a << " " << c;
                EXPECT_EQ(eucjp::ToUnicode(b.data(), b.size()), QString(QChar(u))) << a << " " << c;
            }
}

TEST(Utf8, SequenceLengths)
{
    const std::vector<std::pair<std::string, size_t>> cases = {
        {"a", 1},                 {"\xC3\xA9", 2},     {"\xE3\x81\x82", 3}, {"\xF0\x9F\x98\x80", 4},
        {"\xC0\x80", 0},          {"\xC1\xBF", 0},     {"\xE0\x9F\xBF", 0},  // overlong
        {"\xED\xA0\x80", 0},      {"\xED\x9F\xBF", 3},                        // a surrogate; the last before them
        {"\xF4\x90\x80\x80", 0},  {"\xF5\x80\x80\x80", 0},                    // past U+10FFFF
        {"\xE3\x81", 0},          {"\xE3\x81 ", 0},    {"\x80", 0},          {"\xFF", 0},
    };
    for (const auto& [bytes, len] : cases) {
        EXPECT_EQ(utf8::SeqLen(U(bytes), bytes.size()), len) << QByteArray::fromStdString(bytes).toHex().constData();
        EXPECT_EQ(len ? len : 1, OracleCharLength(TBvEncoding::Utf8, bytes, 0));
    }
    char buf[4];
    for (const char32_t c : {U'a', U'é', U'あ', U'😀'}) {
        const size_t n = utf8::Encode(c, buf);
        EXPECT_EQ(utf8::SeqLen(reinterpret_cast<const uint8_t*>(buf), n), n);
        EXPECT_EQ(utf8::Decode(reinterpret_cast<const uint8_t*>(buf), n), c);
    }
}

// Whether a byte starts a character, asked from any known start, agrees with a walk from the
// beginning for every byte.
TEST(CharStarts, AgreeWithAWalkFromTheStart)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const std::string euc = RandomBytes(rng, 40, {0xA4, 0xB0, 0xFE, 0x8E, 0x8F, 0xA1, 0xDF, 'a', 0x80});
        const std::string u8 = RandomBytes(rng, 40, {0xE3, 0x81, 0x82, 0xBF, 0xC3, 0xF0, 0x9F, 0xED, 0xA0, 'a'});
        const std::vector<bool> e = OracleCharStarts(TBvEncoding::EucJp, euc), f = OracleCharStarts(TBvEncoding::Utf8, u8);
        for (size_t from = 0; from < 40; ++from)
            for (size_t q = from; q <= 40; ++q) {
                if (e[from]) {
                    ASSERT_EQ(eucjp::IsCharStart(U(euc), 40, from, q), bool(e[q])) << from << " " << q;
                }
                if (f[from]) {
                    ASSERT_EQ(utf8::IsCharStart(U(u8), 40, from, q), bool(f[q])) << from << " " << q;
                }
            }
    }
}

// Long runs of kana and kanji, as a text has them, with a byte that is no character here and
// there: the walk back over a run goes by whole words.
TEST(CharStarts, AgreeInLongRunsOfTwoByteCharacters)
{
    std::mt19937 rng(17);
    for (int round = 0; round < 100; ++round) {
        std::string euc = Encode(TCharset::EucJp, RandomJapanese(rng, 80, false));
        for (int k = 0; k < 3; ++k) euc.insert(rng() % euc.size(), 1, char(rng() % 2 ? 0xA4 : 0x80));
        const std::vector<bool> e = OracleCharStarts(TBvEncoding::EucJp, euc);
        for (const size_t from : {size_t(0), size_t(rng() % euc.size())}) {
            if (!e[from]) continue;
            for (size_t q = from; q <= euc.size(); ++q)
                ASSERT_EQ(eucjp::IsCharStart(U(euc), euc.size(), from, q), bool(e[q])) << from << " " << q;
        }
    }
}

TEST(UnicodeCells, ByClass)
{
    const std::vector<std::pair<char32_t, int>> cases = {
        {U'a', 1},  {U'ｱ', 1},  {U'é', 1},  {U'€', 1},       // narrow
        {U'あ', 2}, {U'漢', 2}, {U'Ａ', 2}, {U'한', 2},       // wide and full-width
        {U'😀', 2}, {U'𠀋', 2},                              // beyond the Basic Multilingual Plane
        {U'α', 2},  {U'§', 2},  {U'①', 2},                   // ambiguous, but two bytes in code page 932
        {U'\u0301', 0}, {U'\u3099', 0}, {U'\uFE0F', 0}, {U'\U000E0100', 0}, {U'\u200B', 0}, {U'\u200D', 0},
        {U'\u1161', 0},  // a Hangul medial vowel joins its syllable
    };
    // clang-format on
    for (const auto& [c, cells] : cases) EXPECT_EQ(unicode::Cells(c), cells) << std::hex << uint32_t(c);
}

TEST(Charset, NamesAndByteOrderMarks)
{
    for (const TCharset c : charset::kAll) EXPECT_EQ(charset::FromKey(charset::Key(c)), c);
    EXPECT_EQ(charset::FromKey("UTF-8"), TCharset::Utf8);
    EXPECT_EQ(charset::FromKey("Shift_JIS"), std::nullopt);
    EXPECT_EQ(charset::FromKey(""), std::nullopt);
    // clang-format off
    const std::vector<std::tuple<TCharset, std::string, size_t>> boms = {
        {TCharset::Utf8, "\xEF\xBB\xBFx", 3},  {TCharset::Utf8, "\xEF\xBB", 0},     {TCharset::Utf16Le, "\xFF\xFEx", 2},
        {TCharset::Utf16Be, "\xFE\xFF", 2},     {TCharset::Utf16Be, "\xFF\xFE", 0}, {TCharset::Cp932, "\xEF\xBB\xBF", 0},
    };
    for (const auto& [c, bytes, len] : boms) EXPECT_EQ(charset::BomLength(c, bytes.data(), bytes.size()), len);
}

TEST(Charset, SamplePlaces)
{
    using P = std::vector<std::pair<uint64_t, size_t>>;
    const size_t k = charset::kSamplePiece;
    EXPECT_EQ(charset::TSample::Places(0), P{});
    EXPECT_EQ(charset::TSample::Places(100), (P{{0, 100}}));
    EXPECT_EQ(charset::TSample::Places(16 * k), (P{{0, 16 * k}}));  // small enough to read whole
    for (const uint64_t size : {uint64_t(16 * k + 1), uint64_t(17 * k + 5), uint64_t(1) << 30}) {
        const P places = charset::TSample::Places(size);
        ASSERT_EQ(places.size(), size_t(charset::kSamplePieces + 1));
        EXPECT_EQ(places.front(), (std::pair<uint64_t, size_t>{0, k}));
        EXPECT_EQ(places.back().first + places.back().second, size);  // the last ends the file
        for (size_t i = 1; i < places.size(); ++i) EXPECT_GE(places[i].first, places[i - 1].first + places[i - 1].second);
    }
}

TEST(Charset, Detection)
{
    const std::u32string text = U"吾輩は猫である。名前はまだ無い。";
    const std::string ascii = "The quick brown fox jumps over the lazy dog.\r\n";
    std::string filler;
    while (filler.size() < 900000) filler += ascii;
    std::string big;  // the last piece of its sample is its end
    while (big.size() < 3000000) big += ascii;
    std::mt19937 rng(3);
    std::string binary(5000, '\0');
    for (char& c : binary) c = char(rng());
    using D = charset::TDetected;
    const std::vector<std::tuple<std::string, std::string, D>> cases = {
        {"UTF-8 byte order mark", "\xEF\xBB\xBF" "abc", {TCharset::Utf8, true}},
        {"UTF-16LE byte order mark", Encode(TCharset::Utf16Le, text), {TCharset::Utf16Le, true}},
        {"UTF-16BE byte order mark", Encode(TCharset::Utf16Be, text), {TCharset::Utf16Be, true}},
        {"UTF-8", Encode(TCharset::Utf8, text), {TCharset::Utf8, false}},
        {"short UTF-8", Encode(TCharset::Utf8, U"日本"), {TCharset::Utf8, false}},
        {"UTF-8 cut short at its end", Encode(TCharset::Utf8, text).substr(0, 10), {TCharset::Utf8, false}},
        {"ISO-2022-JP", Encode(TCharset::Iso2022Jp, text), {TCharset::Iso2022Jp, false}},
        {"ISO-2022-JP katakana", Encode(TCharset::Iso2022Jp, U"ｱｲｳ"), {TCharset::Iso2022Jp, false}},
        {"code page 932", Encode(TCharset::Cp932, text), {TCharset::Cp932, false}},
        {"EUC-JP", Encode(TCharset::EucJp, text), {TCharset::EucJp, false}},
        {"short code page 932", Encode(TCharset::Cp932, U"日本語\n"), {TCharset::Cp932, false}},
        {"short EUC-JP", Encode(TCharset::EucJp, U"日本語\n"), {TCharset::EucJp, false}},
        {"short EUC-JP katakana", Encode(TCharset::EucJp, U"テスト"), {TCharset::EucJp, false}},
        {"short code page 932 kana", Encode(TCharset::Cp932, U"こんにちは"), {TCharset::Cp932, false}},
        {"all ASCII", filler, {TCharset::Cp932, false}},
        {"terminal escapes", "\x1B(B\x1B[0mok\n", {TCharset::Cp932, false}},
        {"empty", "", {TCharset::Cp932, false}},
        {"binary", binary, {TCharset::Cp932, false}},
        {"one UTF-8 line far in", filler + Encode(TCharset::Utf8, text) + ascii, {TCharset::Utf8, false}},
        {"one EUC-JP line far in", filler + Encode(TCharset::EucJp, text) + ascii, {TCharset::EucJp, false}},
        {"one code page 932 line far in", filler + Encode(TCharset::Cp932, text) + ascii, {TCharset::Cp932, false}},
        {"one UTF-8 line at the end of a big file", big + Encode(TCharset::Utf8, text), {TCharset::Utf8, false}},
        {"one EUC-JP line at the end of a big file", big + Encode(TCharset::EucJp, text), {TCharset::EucJp, false}},
    };
    // clang-format on
    for (const auto& [name, bytes, want] : cases) {
        const D got = DetectBytes(bytes);
        EXPECT_EQ(std::tuple(got.charset, got.bom), std::tuple(want.charset, want.bom)) << name;
    }
}

// Longer texts in each encoding, with pieces of the sample cut anywhere, are told apart.
TEST(Charset, DetectionOfLongTexts)
{
    std::mt19937 rng(11);
    std::u32string text;
    while (text.size() < 2000000) text += RandomJapanese(rng, 60) + U"\r\n";
    for (const TCharset c : {TCharset::Cp932, TCharset::EucJp, TCharset::Utf8, TCharset::Iso2022Jp})
        EXPECT_EQ(DetectBytes(Encode(c, text)).charset, c) << charset::Key(c);
}

TEST(Charset, TranscodingUtf16)
{
    // clang-format off
    const std::vector<std::tuple<std::string, std::string>> le = {
        {std::string("a\0\x42\x30", 4), "a\xE3\x81\x82"},
        {std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80"},  // a surrogate pair
        {std::string("\x3D\xD8" "a\0", 4), "\xFF\xFF" "a"},  // a high surrogate alone: its two bytes
        {std::string("\x00\xDE", 2), "\xFF\xFF"},             // a low one alone
        {std::string("a\0b", 3), "a\xFF"},                 // an odd byte at the end
        {std::string("\r\0\n\0\0\0", 6), std::string("\r\n\0", 3)},
    };
    // clang-format on
    for (const auto& [in, out] : le) {
        EXPECT_EQ(ToUtf8(TCharset::Utf16Le, in), out) << QByteArray::fromStdString(in).toHex().constData();
        EXPECT_EQ(OracleUtf16ToUtf8(false, in), out) << QByteArray::fromStdString(in).toHex().constData();
        std::string be = in;
        for (size_t i = 0; i + 1 < be.size(); i += 2) std::swap(be[i], be[i + 1]);
        EXPECT_EQ(ToUtf8(TCharset::Utf16Be, be), out) << QByteArray::fromStdString(in).toHex().constData();
    }
    // Any bytes: as the plain reading has them.
    std::mt19937 rng(6);
    for (int round = 0; round < 2000; ++round) {
        std::string in(rng() % 20, '\0');
        for (char& c : in) c = char(rng() % 3 ? int(rng() % 256) : 0xD8 + int(rng() % 8));
        EXPECT_EQ(ToUtf8(TCharset::Utf16Le, in), OracleUtf16ToUtf8(false, in));
        EXPECT_EQ(ToUtf8(TCharset::Utf16Be, in), OracleUtf16ToUtf8(true, in));
    }
}

TEST(Charset, TranscodingIso2022Jp)
{
    // clang-format off
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {"a\x1B$B$\"4A\x1B(Bb", "aあ漢b"},
        {"\x1B$@$\"\x1B(J\\~", "あ\\~"},                // JIS X 0208-1978, and Roman read as ASCII
        {"\x1B(I123\x1B(Ba", "ｱｲｳa"},                 // JIS X 0201 katakana
        {"\x0E" "1\x0F" "1", "ｱ1"},                    // katakana by shift out and in
        {"\x1B$(D0!\x1B(B", "丂"},                     // JIS X 0212
        {"\x1B&@\x1B$B$\"", "あ"},                      // a revision announced
        {"\x1B$B$\"$\r\nx", "あ\xFF\r\nx"},             // half a pair; ASCII again after the line end
        {"\x1B$B)!\x1B(B", "\xFF\xFF"},                 // an unassigned code: two cells
        {"\x1B$Z!", "\x1B$Z!"},                         // no designation: the escape stays a control byte
        {"\x80\xFFz", "\xFF\xFFz"},                      // bytes ISO-2022-JP never has
        {"\x1B(I`", "\xFF"},                             // no katakana at 0x60
    };
    // clang-format on
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ToUtf8(TCharset::Iso2022Jp, in), out) << QByteArray::fromStdString(in).toHex().constData();
}

// Transcoding bytes that arrive in parts, as a file being read does, gives what transcoding
// them at once gives, wherever the parts are cut: within a pair, a surrogate pair, an escape.
TEST(Charset, TranscodingInParts)
{
    std::mt19937 rng(13);
    for (int round = 0; round < 300; ++round) {
        const std::u32string text = RandomJapanese(rng, 40) + U"😀\r\n" + RandomJapanese(rng, 20);
        for (const TCharset c : {TCharset::Utf16Le, TCharset::Utf16Be, TCharset::Iso2022Jp}) {
            std::string in = Encode(c, c == TCharset::Iso2022Jp ? text.substr(0, text.find(U'😀')) : text);
            if (rng() % 4 == 0) in += char(rng());  // and bytes that are no character at the end
            const std::string whole = ToUtf8(c, in);
            charset::TToUtf8 t(c);
            std::string out(charset::Utf8Bound(c, in.size()), '\0');
            size_t fed = 0, written = 0;
            while (fed < in.size()) {
                const size_t have = std::min(in.size(), fed + 1 + rng() % 7), used0 = fed;
                size_t used;
                written += t.Feed(in.data() + fed, have - fed, have == in.size(), out.data() + written, used);
                fed += used;
                ASSERT_TRUE(used > 0 || have < in.size()) << "the last part is taken whole";
                if (fed == used0 && have == in.size()) break;
            }
            out.resize(written);
            EXPECT_EQ(out, whole) << charset::Key(c);
        }
    }
}

// Random text written by iconv in each transcoded encoding reads back as its UTF-8, within the
// bound.
TEST(Charset, TranscodingAgreesWithIconv)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        const std::u32string text = RandomJapanese(rng, 200) + U"\r\n" + RandomJapanese(rng, 50);
        const std::u32string wide = text + U"😀𠀋";  // beyond the Basic Multilingual Plane
        for (const TCharset c : {TCharset::Utf16Le, TCharset::Utf16Be, TCharset::Iso2022Jp}) {
            const std::u32string& t = c == TCharset::Iso2022Jp ? text : wide;
            const std::string in = Encode(c, t).substr(charset::IsTranscoded(c) && c != TCharset::Iso2022Jp ? 2 : 0);
            const std::string out = ToUtf8(c, in);
            EXPECT_EQ(out, Utf8Of(t)) << charset::Key(c);
            EXPECT_LE(out.size(), charset::Utf8Bound(c, in.size()));
        }
    }
}
