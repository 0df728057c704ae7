// The status bar's texts from what the view shows, without a window.
#include <gtest/gtest.h>

#include "app/StatusTexts.h"

namespace {

TEST(StatusTexts, EachFactGivesItsText)
{
    using E = TBvLineEnds;
    struct Case {
        const char* what;
        TStatusFacts facts;
        TStatusTexts texts;
    };
    const TBvSource sjis{TCharset::Cp932, false};
    const Case cases[] = {
        {"empty text", {sjis, E::None, 0, 0, 0, 0, false}, {"Shift_JIS", "", "", "", ""}},
        {"top of a long text",
         {sjis, E::CrLf, 0, 1000, 29, 1000, false},
         {"Shift_JIS", "CR LF", "行 1 / 1000", "3%", ""}},
        // The percentage is rounded down, so that 100% means the end is on view.
        {"one line short of the end",
         {sjis, E::CrLf, 969, 1000, 998, 1000, false},
         {"Shift_JIS", "CR LF", "行 970 / 1000", "99%", ""}},
        {"the end", {sjis, E::CrLf, 970, 1000, 999, 1000, false}, {"Shift_JIS", "CR LF", "行 971 / 1000", "100%", ""}},
        {"a short text", {{TCharset::Utf8, false}, E::Lf, 0, 3, 2, 3, false}, {"UTF-8", "LF", "行 1 / 3", "100%", ""}},
        // Wrapped lines: the file line is counted, the percentage goes by display lines.
        {"wrapped", {{TCharset::EucJp, false}, E::Cr, 4, 10, 49, 100, false}, {"EUC-JP", "CR", "行 5 / 10", "50%", ""}},
        {"byte order mark",
         {{TCharset::Utf16Le, true}, E::Mixed, 0, 1, 0, 1, false},
         {"UTF-16LE (BOM)", "混在", "行 1 / 1", "100%", ""}},
        {"following",
         {{TCharset::Utf16Be, false}, E::Lf, 1, 2, 1, 2, true},
         {"UTF-16BE", "LF", "行 2 / 2", "100%", "追跡中"}},
        {"ISO-2022-JP",
         {{TCharset::Iso2022Jp, false}, E::None, 0, 1, 0, 1, false},
         {"ISO-2022-JP", "", "行 1 / 1", "100%", ""}},
        // Past the counts (a view between two texts): never a line or a share that is not there.
        {"past the counts", {sjis, E::Lf, 7, 5, 40, 20, false}, {"Shift_JIS", "LF", "行 5 / 5", "100%", ""}},
        // Large counts do not overflow the percentage.
        {"large",
         {sjis, E::Lf, 0, 134217727, 134217726, 134217727, false},
         {"Shift_JIS", "LF", "行 1 / 134217727", "100%", ""}},
    };
    for (const Case& c : cases) {
        const TStatusTexts t = StatusTexts(c.facts);
        EXPECT_EQ(t.encoding, c.texts.encoding) << c.what;
        EXPECT_EQ(t.lineEnds, c.texts.lineEnds) << c.what;
        EXPECT_EQ(t.line, c.texts.line) << c.what;
        EXPECT_EQ(t.percent, c.texts.percent) << c.what;
        EXPECT_EQ(t.following, c.texts.following) << c.what;
    }
}

}  // namespace
