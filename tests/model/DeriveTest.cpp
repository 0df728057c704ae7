// The display lines as derived and held: every record read back from the packed rows is the
// plain oracle's, whether one thread or several derived the runs, whole or from an edited line,
// in every encoding a text is held in.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "model/BvDerive.h"
#include "model/BvLines.h"
#include "support/CellMeasure.h"
#include "support/DeriveOracle.h"
#include "support/JapaneseText.h"

namespace {

// Lines of ASCII, tabs and two-byte characters, with stray lead bytes at the ends now and then.
std::string RandomText(std::mt19937& rng, int lines, int maxLen)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int len = int(rng() % uint32_t(maxLen + 1));
        std::string line;
        while (int(line.size()) < len) {
            switch (rng() % 8) {
            case 0: line += '\t'; break;
            case 1:
            case 2: line += "\x82\xa0"; break;              // あ
            case 3: line += "\x95\x5c"; break;              // 表, trail byte 0x5C
            case 4: line += char(0x81 + rng() % 4); break;  // a lead byte, followed by whatever comes
            default: line += char('a' + rng() % 26);
            }
        }
        text += line + "\r\n";
    }
    return text;
}

// Lines of Japanese text, tabs and ASCII in the encoding, with a stray byte now and then.
std::string RandomText(std::mt19937& rng, TCharset c, int lines, int maxLen)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        std::u32string line = RandomJapanese(rng, rng() % uint32_t(maxLen / 2 + 1));
        if (rng() % 3 == 0) line += U"\tabc";
        text += Encode(c, line);
        if (rng() % 6 == 0) text += char(0xE3);  // the start of a character cut short, or a lead byte
        text += "\r\n";
    }
    return text;
}

struct Setting {
    TBvWrap wrap;
    int client;
    int uniform;
};

const std::vector<Setting> kSettings = {
    {{true, 0, 8}, 100, 0},  {{true, 0, 8}, 100, 6},          {{true, 0, 0}, 37, 0},  {{true, 0, 3}, 0, 6},
    {{true, 1, 8}, 100, 0},  {{true, 2, 8}, 100, 0},          {{true, 7, 4}, 100, 0}, {{true, 1000, 8}, 100, 0},
    {{false, 0, 8}, 100, 0}, {{true, 0x7FFFFFFF, 8}, 100, 0},
};

void ExpectOracleRows(const TBvLines& lines, const TBvStrings& store, const TBvWrap& wrap, const TBvMeasure& m,
                      const std::string& what)
{
    const std::vector<TBvInfo> want = OracleRows(store, wrap, m);
    ASSERT_EQ(lines.GetCount(), int(want.size())) << what;
    for (int i = 0; i < lines.GetCount(); ++i) {
        const TBvInfo got = lines.Info(i);
        ASSERT_TRUE(SameInfo(got, want[size_t(i)]))
            << what << " row " << i << ": got (" << got.OrgIndex << ", " << got.OrgPos << ", " << got.Len << ", "
            << got.SubLine << ", " << got.Cr << ") want (" << want[size_t(i)].OrgIndex << ", " << want[size_t(i)].OrgPos
            << ", " << want[size_t(i)].Len << ", " << want[size_t(i)].SubLine << ", " << want[size_t(i)].Cr << ")";
        ASSERT_EQ(lines.CrCheck(i), got.Cr) << what << " row " << i;
        ASSERT_EQ(lines.Bytes(i), lines.Get(i).view()) << what << " row " << i;
        ASSERT_EQ(lines.ConvertIndexToOrg(i), got.OrgIndex);
        if (got.SubLine == 0) {
            ASSERT_EQ(lines.ConvertIndexFromOrg(got.OrgIndex), i) << what;
        }
    }
}

struct Threads {
    explicit Threads(int n) : was(TBvDeriver::threads) { TBvDeriver::threads = n; }
    ~Threads() { TBvDeriver::threads = was; }
    int was;
};

}  // namespace

TEST(Derive, PackedRowsReadBackAsTheOraclesRecordsForEverySetting)
{
    std::mt19937 rng(18);
    for (const Setting& s : kSettings) {
        for (int round = 0; round < 20; ++round) {
            CellMeasure m;
            m.client = s.client;
            m.uniform = s.uniform;
            TBvStrings store;
            const TCharset held[] = {TCharset::Cp932, TCharset::Utf8, TCharset::EucJp};
            const TCharset c = held[round % 3];
            store.SetSource({c, false});
            store.SetTextStr(TBvText(c == TCharset::Cp932 ? RandomText(rng, 30, 60) : RandomText(rng, c, 30, 60)));
            TBvLines lines(store, m);
            lines.SetViewTabStop(s.wrap.viewTabStop);
            lines.SetWordWrap(s.wrap.wordWrap);
            lines.SetWrapByte(s.wrap.wrapByte);
            lines.CalcBvLines(0);
            ExpectOracleRows(lines, store, s.wrap, m,
                             std::string(charset::Key(c)) + ", wrap byte " + std::to_string(s.wrap.wrapByte));
            if (HasFatalFailure()) return;
        }
    }
}

TEST(Derive, ParallelRunsJoinToTheRowsOneThreadDerives)
{
    // Enough text for runs on several threads, in the held-text form a load gives; lines cut by
    // bytes, and lines cut by columns whose last pieces run to the line's end.
    for (const TCharset c : {TCharset::Cp932, TCharset::Utf8}) {
        std::mt19937 rng(7);
        TBvStrings store;
        store.SetSource({c, false});
        store.SetTextStr(TBvText(c == TCharset::Cp932 ? RandomText(rng, 60000, 120) : RandomText(rng, c, 40000, 80)));
        ASSERT_GT(store.Position(store.Count()), 2u << 20);
        CellMeasure m;
        m.client = 300;
        const TBvWrap wrap;
        for (const int threads : {1, 2, 3, 8}) {
            Threads use(threads);
            TBvLines lines(store, m);
            lines.CalcBvLines(0);
            const std::string what = std::string(charset::Key(c)) + ", " + std::to_string(threads) + " threads";
            ExpectOracleRows(lines, store, wrap, m, what);
            // From a line in the middle: the rows before it are kept, those after derived again.
            lines.CalcBvLines(10000);
            ExpectOracleRows(lines, store, wrap, m, what + ", from the middle");
            if (HasFatalFailure()) return;
        }
    }
}

TEST(Derive, TheWidestPieceAndTheStopFlag)
{
    TBvStrings store;
    store.SetTextStr(TBvText(std::string("ab\r\n") + std::string(40, 'x') + "\r\n\r\nabc\r\n"));
    CellMeasure m;
    m.client = 100;  // pieces of 15 bytes
    TBvRows rows;
    int widest = 0;
    EXPECT_TRUE(TBvDeriver(store, TBvWrap{}, m, 0).Finish(rows, widest));
    EXPECT_EQ(rows.Count(), 6);
    EXPECT_EQ(widest, 15);

    // Stopped before it starts: nothing is derived, and the caller hears of it.
    std::atomic<bool> stop{true};
    TBvRows none;
    EXPECT_FALSE(TBvDeriver(store, TBvWrap{}, m, 0, &stop).Finish(none, widest));
    EXPECT_EQ(none.Count(), 0);
}
