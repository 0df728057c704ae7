#include "bigview/ViewFont.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "model/BvLines.h"
#include "support/JapaneseText.h"

namespace {

constexpr TBvEncoding kCp932 = TBvEncoding::Cp932;

struct ViewFontTest : ::testing::Test {
    TViewFont font{TViewFont::DefaultViewFont()};
    int64_t W(const std::string& s, int d = 48) const { return font.TabbedTextWidth(kCp932, s.data(), s.size(), d); }
};

}  // namespace

TEST_F(ViewFontTest, MetricsAndCells)
{
    EXPECT_EQ(QFontInfo(font.Font()).family(), "IPAGothic");
    EXPECT_EQ(std::tuple(font.CharWidth(), font.LineHeight(), font.CellGrid()), std::tuple(6, 13, true));
    EXPECT_EQ(W("x"), 6);
    EXPECT_EQ(W("\x8A\xBF"), 12);
    EXPECT_EQ(W("\xB1"), 6);
    EXPECT_EQ(W("\x82"), 6);       // lone lead
    EXPECT_EQ(W("\x85\x40"), 12);  // unassigned pair
    EXPECT_EQ(W(std::string(1, '\0')), 6);
    EXPECT_EQ(W(std::string(20000, 'a')), 120000);  // wider than 16 bits, exact
}

TEST_F(ViewFontTest, Tabs)
{
    EXPECT_EQ(W("\t"), 48);
    EXPECT_EQ(W("ab\t"), 48);
    EXPECT_EQ(W("abcdefgh\t"), 96);  // at a stop: on to the next one
    EXPECT_EQ(W("\x8A\xBF\t\t"), 96);
    EXPECT_EQ(W("\t", 0), 6);
    EXPECT_EQ(W("a\t\tb", 0), 24);
}

TEST_F(ViewFontTest, PrefixWidthsMatchPrefixMeasures)
{
    // Every cell kind: kanji, tabs, lone leads, an unassigned pair, katakana, control bytes.
    const char bytes[] = "ab\x8A\xBF\t\x82 x\x85\x40\xB1\t\t\x01\0z\x82\xA0\x82\x82\x7F\x82";
    const std::string s(bytes, sizeof bytes - 1);
    QFont proportional("IPAPGothic");
    proportional.setPixelSize(12);
    const TViewFont pfont(proportional);
    EXPECT_FALSE(pfont.CellGrid());  // the measuring path for fonts off the grid
    for (const TViewFont* f : {static_cast<const TViewFont*>(&font), &pfont}) {
        for (int d : {0, 48, 7}) {
            std::vector<int64_t> out;
            f->PrefixWidths(kCp932, s.data(), s.size(), d, out);
            ASSERT_EQ(out.size(), s.size());
            for (size_t i = 0; i < s.size(); ++i)
                EXPECT_EQ(out[i], f->TabbedTextWidth(kCp932, s.data(), i + 1, d)) << "prefix " << i + 1 << " d " << d;
        }
        EXPECT_EQ(f->TabbedTextWidth(kCp932, "\x82", 1, 48), f->CharWidth());
        EXPECT_EQ(f->TabbedTextWidth(kCp932, "\t", 1, 0), f->CharWidth());
    }
}

TEST_F(ViewFontTest, DrawTextStaysInItsCells)
{
    const QColor paper(0x80, 0x80, 0x80), bg(Qt::white);
    QImage img(200, 30, QImage::Format_RGB32);
    img.fill(paper);
    const std::string s("A\x8A\xBF\t\x82 W");
    int64_t w;
    {
        QPainter p(&img);
        w = font.DrawText(p, 10, 5, kCp932, s.data(), s.size(), 48, Qt::black, bg);
    }
    EXPECT_EQ(w, W(s));
    const auto inked = [&](int x0, int x1) {
        for (int y = 5; y < 18; ++y)
            for (int x = x0; x < x1; ++x)
                if (img.pixelColor(x, y) != bg) return true;
        return false;
    };
    EXPECT_TRUE(inked(10, 16));   // A
    EXPECT_TRUE(inked(16, 28));   // 漢
    EXPECT_FALSE(inked(28, 58));  // the tab: background only
    EXPECT_TRUE(inked(58, 64));   // the lone lead's mark
    EXPECT_FALSE(inked(64, 70));  // space
    EXPECT_TRUE(inked(70, 76));   // W
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x)
            if (x < 10 || x >= 10 + w || y < 5 || y >= 5 + font.LineHeight()) {
                ASSERT_EQ(img.pixelColor(x, y), paper) << x << "," << y;
            }
}

TEST(ViewFontDerivation, RealFontPixelFit)
{
    TBvStrings store;
    const TViewFont font(TViewFont::DefaultViewFont());
    TViewFontMeasure fm(font, 100);
    TBvLines real(store, fm);
    std::string kanji;
    for (int i = 0; i < 20; ++i) kanji += "\x8A\xBF";
    store.Add(TBvText(std::string(40, 'a')));
    store.Add(TBvText(kanji));
    real.CalcBvLines(0);
    // The 15-byte fit ends on a lead byte in the kanji line: its pieces are 14 bytes but the last.
    std::vector<std::tuple<int, int, int, int, bool>> pieces;
    for (int i = 0; i < real.GetCount(); ++i) {
        const TBvInfo& r = real.Info(i);
        pieces.emplace_back(r.OrgIndex, r.OrgPos, r.Len, int(r.SubLine), bool(r.Cr));
    }
    using P = std::tuple<int, int, int, int, bool>;
    EXPECT_EQ(pieces, (std::vector<P>{P{0, 1, 15, 0, false}, P{0, 16, 15, 1, false}, P{0, 31, 15, 2, true},
                                      P{1, 1, 14, 0, false}, P{1, 15, 14, 1, false}, P{1, 29, 15, 2, true}}));
}

// ---- every encoding ----

namespace {

constexpr TBvEncoding kEuc = TBvEncoding::EucJp, kUtf8 = TBvEncoding::Utf8;

const TViewFont& Proportional()
{
    static const TViewFont f([] {
        QFont q("IPAPGothic");
        q.setPixelSize(12);
        return q;
    }());
    return f;
}

}  // namespace

TEST_F(ViewFontTest, CellsInEveryEncoding)
{
    // (encoding, bytes, width with a tab distance of 48)
    // clang-format off
    const std::vector<std::tuple<TBvEncoding, std::string, int64_t>> cases = {
        {kEuc, "\xB4\xC1", 12},         {kEuc, "\x8E\xB1", 6},      {kEuc, "\x8F\xB0\xA1", 12},
        {kEuc, "\xA9\xA1", 12},         {kEuc, "\xA4", 6},          {kEuc, "a\t", 48},
        {kUtf8, "\xE6\xBC\xA2", 12},    {kUtf8, "\xEF\xBD\xB1", 6}, {kUtf8, "\xF0\x9F\x98\x80", 12},  // emoji: not in the font
        {kUtf8, "\xED\x95\x9C", 12},    {kUtf8, "\xC3\xA9", 6},     {kUtf8, "e\xCC\x81", 6},           // Hangul, é, e + a mark
        {kUtf8, "\xCE\xB1", 12},        {kUtf8, "\xE3\x81", 12},    {kUtf8, "\xC2\x85", 6},             // α as in code page 932; a cut kanji; a C1 control
    };
    // clang-format on
    for (const auto& [enc, bytes, width] : cases)
        EXPECT_EQ(font.TabbedTextWidth(enc, bytes.data(), bytes.size(), 48), width)
            << QByteArray::fromStdString(bytes).toHex().constData();
}

TEST_F(ViewFontTest, PrefixWidthsMatchPrefixMeasuresInEveryEncoding)
{
    const std::vector<std::pair<TBvEncoding, std::string>> texts = {
        {kEuc, "ab\xB4\xC1\t\x8E\xB1\x8F\xB0\xA1\xA4 \xA9\xA1\x8E\x8F\x01z"},
        {kUtf8, "ab\xE6\xBC\xA2\t\xEF\xBD\xB1\xF0\x9F\x98\x80\xE3\x81 e\xCC\x81\xC2\x85\xFF\xCE\xB1\xED\x95\x9C"},
    };
    for (const TViewFont* f : {static_cast<const TViewFont*>(&font), &Proportional()})
        for (const auto& [enc, s] : texts)
            for (int d : {0, 48, 7}) {
                std::vector<int64_t> out;
                f->PrefixWidths(enc, s.data(), s.size(), d, out);
                ASSERT_EQ(out.size(), s.size());
                for (size_t i = 0; i < s.size(); ++i)
                    EXPECT_EQ(out[i], f->TabbedTextWidth(enc, s.data(), i + 1, d))
                        << enc.kind() << " prefix " << i + 1 << " d " << d;
            }
}

// One text drawn from code page 932, EUC-JP and UTF-8 bytes gives the same pixels, in the grid
// font and in a proportional one.
TEST_F(ViewFontTest, OneTextDrawsAlikeFromEveryEncoding)
{
    std::mt19937 rng(2);
    const std::u32string text = RandomJapanese(rng, 60);
    for (const TViewFont* f : {static_cast<const TViewFont*>(&font), &Proportional()}) {
        std::vector<QImage> images;
        for (const TCharset c : {TCharset::Cp932, TCharset::EucJp, TCharset::Utf8}) {
            const std::string s = Encode(c, text);
            QImage img(800, 20, QImage::Format_RGB32);
            img.fill(Qt::gray);
            QPainter p(&img);
            const int64_t w =
                f->DrawText(p, 3, 2, TBvEncoding::Holding(c), s.data(), s.size(), 48, Qt::black, Qt::white);
            EXPECT_EQ(w, f->TabbedTextWidth(TBvEncoding::Holding(c), s.data(), s.size(), 48));
            p.end();
            images.push_back(img);
        }
        EXPECT_TRUE(images[1] == images[0]);
        EXPECT_TRUE(images[2] == images[0]);
    }
}

// A character the font lacks, or one joined by a mark, is drawn inside its own cells.
TEST_F(ViewFontTest, FallbackAndJoinedCharactersStayInTheirCells)
{
    // clang-format off
    const std::string s = "a\xF0\x9F\x98\x80" "e\xCC\x81\xED\x95\x9C" "b";  // a 😀 é 한 b: 6 12 6 12 6
    // clang-format on
    const QColor paper(0x80, 0x80, 0x80), bg(Qt::white);
    QImage img(100, 20, QImage::Format_RGB32);
    img.fill(paper);
    {
        QPainter p(&img);
        EXPECT_EQ(font.DrawText(p, 10, 2, kUtf8, s.data(), s.size(), 48, Qt::black, bg), 42);
    }
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            if (x < 10 || x >= 52 || y < 2 || y >= 2 + font.LineHeight()) {
                ASSERT_EQ(img.pixelColor(x, y), paper) << x << "," << y;
            }
}

// Measuring from several threads at once, as a parallel derivation does, gives what measuring
// from one gives (the fonts' caches are made while the threads run).
TEST(ViewFontThreads, MeasuringFromSeveralThreadsAtOnce)
{
    QFont q("IPAPGothic");
    q.setPixelSize(12);
    const TViewFont fresh(q);
    std::mt19937 rng(8);
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i) texts.push_back(Encode(TCharset::Utf8, RandomJapanese(rng, 400)));
    std::vector<int64_t> got(texts.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < texts.size(); ++i)
        threads.emplace_back([&, i] { got[i] = fresh.TabbedTextWidth(kUtf8, texts[i].data(), texts[i].size(), 48); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(got[i], fresh.TabbedTextWidth(kUtf8, texts[i].data(), texts[i].size(), 48));
}
