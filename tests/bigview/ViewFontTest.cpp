#include "bigview/ViewFont.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <string>
#include <tuple>
#include <vector>

#include "model/BvLines.h"

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
