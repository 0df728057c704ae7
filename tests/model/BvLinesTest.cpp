#include "model/BvLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "support/CellMeasure.h"

using ::testing::ElementsAre;

namespace {

TBvText T(const std::string& s) { return TBvText(std::string_view(s)); }

// (OrgIndex, OrgPos, Len, SubLine, Cr)
using Piece = std::tuple<int, int, int, int, bool>;

std::vector<Piece> Pieces(const TBvLines& v)
{
    std::vector<Piece> out;
    for (int i = 0; i < v.GetCount(); ++i) {
        const TBvInfo& r = v.Info(i);
        out.emplace_back(r.OrgIndex, r.OrgPos, r.Len, int(r.SubLine), bool(r.Cr));
    }
    return out;
}

struct BvLinesTest : ::testing::Test {
    TBvStrings store;
    CellMeasure m;
    TBvLines v{store, m};
    std::vector<Piece> Derive(std::initializer_list<std::string> lines)
    {
        store.Clear();
        for (const auto& l : lines) store.Add(T(l));
        v.CalcBvLines(0);
        return Pieces(v);
    }
};

// Byte kinds by pairing each lead byte with the byte after it.
std::vector<int> Kinds(const std::string& s)
{
    std::vector<int> k(s.size(), 0);
    for (size_t i = 0; i < s.size(); ++i)
        if (cp932::IsLeadByte(uint8_t(s[i]))) {
            k[i] = 1;
            if (i + 1 < s.size()) k[++i] = 2;
        }
    return k;
}

}  // namespace

TEST_F(BvLinesTest, PixelFit)
{
    EXPECT_THAT(Derive({}), ElementsAre());
    EXPECT_EQ(v.ConvertIndexFromOrg(0), 0);
    EXPECT_EQ(v.ConvertLocateFromOrg({1, 0}), (TPoint{1, 0}));
    EXPECT_THAT(Derive({std::string(40, 'a')}),
                ElementsAre(Piece{0, 1, 15, 0, false}, Piece{0, 16, 15, 1, false}, Piece{0, 31, 15, 2, true}));
    EXPECT_EQ(v.Get(2).size(), 10u);
    EXPECT_THAT(Derive({std::string(16, 'a')}), ElementsAre(Piece{0, 1, 16, 0, true}));  // 96 px fits
    m.client = 0;  // narrower than one column: one byte a piece
    EXPECT_EQ(Derive({std::string(40, 'a')}).size(), 40u);

    // The tab takes 48 px at ViewTabStop 8, 6 px at 0; the new stop counts from the next derivation.
    m.client = 100;
    EXPECT_EQ(std::get<2>(Derive({"\t" + std::string(30, 'a')})[0]), 9);
    EXPECT_EQ(v.SetViewTabStop(0), TBvFollowUp::MapUpdate);
    EXPECT_EQ(std::get<2>(Pieces(v)[0]), 9);
    v.CalcBvLines(0);
    EXPECT_EQ(std::get<2>(Pieces(v)[0]), 15);

    // A tab and 82 bytes at tab stop 4 (516 px) in a 504 px client: the search stops at once
    // with the whole line, which is then cut back to the 81 bytes (504 px) that fit.
    m.client = 504;
    v.SetViewTabStop(4);
    EXPECT_THAT(Derive({"\t" + std::string(82, 'a')}),
                ElementsAre(Piece{0, 1, 81, 0, false}, Piece{0, 82, 81, 1, true}));
}

TEST_F(BvLinesTest, FixedWrapByteAndNoWrap)
{
    v.SetWrapByte(10);
    EXPECT_THAT(Derive({std::string(25, 'a'), "abc", ""}),
                ElementsAre(Piece{0, 1, 10, 0, false}, Piece{0, 11, 10, 1, false}, Piece{0, 21, 10, 2, true},
                            Piece{1, 1, 10, 0, true}, Piece{2, 0, 0, 0, true}));
    EXPECT_EQ(v.Get(2).str(), std::string(5, 'a'));
    EXPECT_EQ(v.Get(3).str(), "abc");
    EXPECT_TRUE(v.Get(4).empty());
    EXPECT_THAT(Derive({"123456789\x82\xA0"
                        "abcdefghij"}),
                ElementsAre(Piece{0, 1, 9, 0, false}, Piece{0, 10, 10, 1, false}, Piece{0, 20, 10, 2, true}));
    v.SetWrapByte(1);
    EXPECT_THAT(Derive({"\x82\xA0"
                        "a"}),
                ElementsAre(Piece{0, 1, 2, 0, false}, Piece{0, 3, 1, 1, true}));
    v.SetWordWrap(false);
    EXPECT_THAT(Derive({std::string(1000, 'a'), ""}), ElementsAre(Piece{0, 1, 1000, 0, true}, Piece{1, 0, 0, 0, true}));
}

TEST_F(BvLinesTest, Conversions)
{
    v.SetWrapByte(10);
    Derive({"", std::string(15, 'a'), "z"});  // display lines 0 | 1 2 | 3
    EXPECT_EQ(v.ConvertLocateFromOrg({11, 1}), (TPoint{1, 2}));
    EXPECT_EQ(v.ConvertLocateFromOrg({10, 1}), (TPoint{10, 1}));
    EXPECT_EQ(v.ConvertLocateFromOrg({0, 1}), (TPoint{0, 0}));
    EXPECT_EQ(v.ConvertLocateFromOrg({30, 1}), (TPoint{20, 2}));  // past the end: last piece
    EXPECT_EQ(v.ConvertLocateFromOrg({0, 0}), (TPoint{1, 0}));
    EXPECT_EQ(v.ConvertLocateFromOrg({1, 3}), (TPoint{1, 4}));
    EXPECT_EQ(v.ConvertLocateToOrg({3, 2}), (TPoint{13, 1}));
    EXPECT_EQ(v.ConvertLocateToOrg({3, 4}), (TPoint{0, 0}));
    EXPECT_EQ(v.ConvertLocateToOrg({3, -1}), (TPoint{0, 0}));
    EXPECT_EQ(std::tuple(v.ConvertIndexToOrg(-1), v.ConvertIndexToOrg(4), v.ConvertIndexToOrg(2)),
              std::tuple(-1, -1, 1));
    EXPECT_EQ(std::tuple(v.ConvertIndexFromOrg(2), v.ConvertIndexFromOrg(3), v.ConvertIndexFromOrg(99)),
              std::tuple(3, 4, 4));
}

TEST_F(BvLinesTest, IndexErrors)
{
    Derive({"a", "b"});
    const std::string index = "リストのインデックスが範囲を超えています ", range = TBvStrings::RangeErrorText;
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { v.Get(2); }, index + "(2)"},
        {[&] { v.Get(-1); }, index + "(-1)"},
        {[&] { v.CrCheck(5); }, index + "(5)"},
        {[&] { v.ConvertIndexFromOrg(-3); }, index + "(-3)"},
        {[&] {
             v.ConvertLocateFromOrg({1, -2});
         },
         index + "(-2)"},
        {[&] { v.GetOrg(2); }, range},
        {[&] { v.SetCapacity(1); }, range}};
    for (const auto& [f, what] : cases) {
        try {
            f();
            ADD_FAILURE() << "no error: " << what;
        } catch (const Exception& e) {
            EXPECT_EQ(e.what(), what);
        }
    }
    EXPECT_EQ(v.GetCount(), 2);
}

TEST_F(BvLinesTest, Setters)
{
    Derive({std::string(40, 'a')});
    store.Put(0, "short");  // not re-derived yet: shows which setters derive
    EXPECT_EQ(v.SetWrapByte(0), TBvFollowUp::None);
    EXPECT_EQ(v.SetWrapByte(-1), TBvFollowUp::None);
    EXPECT_EQ(v.SetWordWrap(true), TBvFollowUp::None);
    EXPECT_EQ(v.SetViewTabStop(-1), TBvFollowUp::None);
    EXPECT_EQ(v.SetViewTabStop(4), TBvFollowUp::MapUpdate);
    EXPECT_EQ(v.GetCount(), 3);
    EXPECT_EQ(v.SetWrapByte(1), TBvFollowUp::MapUpdate);
    EXPECT_EQ(v.GetCount(), 5);
    store.Put(0, "x");
    EXPECT_EQ(v.SetWordWrap(false), TBvFollowUp::MapUpdate);
    EXPECT_THAT(Pieces(v), ElementsAre(Piece{0, 1, 1, 0, true}));
    EXPECT_EQ(v.SetMaxChar(0), TBvFollowUp::MapResize);
    EXPECT_EQ(v.MaxChar(), 1);
    EXPECT_EQ(v.SetMaxChar(-7), TBvFollowUp::None);
}

// Random lines of ASCII, lead and trail bytes, tabs, NULs and LFs, derived in every wrap mode.
TEST_F(BvLinesTest, DerivationProperties)
{
    std::mt19937 rng(20240601);
    for (int i = 0; i < 150; ++i) {
        std::string s(rng() % 8 == 0 ? 0 : rng() % (rng() % 10 == 0 ? 400 : 60), 'a');
        for (char& c : s) {
            const unsigned r = rng() % 6;
            c = char(r == 0   ? 0x81 + rng() % 31
                     : r == 1 ? 0xE0 + rng() % 29
                     : r == 2 ? 0x40 + rng() % 189
                     : r == 3 ? "\t\0\n"[rng() % 3]
                              : 'a' + rng() % 26);
        }
        store.Add(T(s));
    }
    std::vector<std::tuple<int, int, int>> modes;  // (WrapByte, or -1 for no wrap; client width; uniform)
    for (int cw : {0, 5, 6, 13, 50, 100, 333})
        for (int u : {0, 6}) modes.emplace_back(0, cw, u);
    for (int wb = 1; wb <= 13; ++wb) modes.emplace_back(wb, 100, 0);
    modes.emplace_back(-1, 100, 0);
    for (auto [wb, cw, u] : modes) {
        SCOPED_TRACE(testing::Message() << "WrapByte " << wb << " client " << cw << " uniform " << u);
        m.client = cw;
        m.uniform = u;
        v.SetWordWrap(wb >= 0);
        v.SetWrapByte(std::max(wb, 0));
        v.CalcBvLines(0);
        const int even = std::max(1, std::max(cw, 6) / 6 - 1);  // equal-width bytes: one fewer than fits
        int d = 0;
        for (int a = 0; a < store.Count(); ++a) {
            const TBvText& line = store.Get(a);
            const int len = int(line.size());
            const std::vector<int> kinds = Kinds(line.str());
            for (int p = 0; p <= len + 1; ++p)
                ASSERT_EQ(TBvLines::IsStrLeadBytePos(line, p), p >= 1 && p <= len ? kinds[size_t(p) - 1] : 0);
            ASSERT_EQ(v.ConvertIndexFromOrg(a), d);
            const bool evenFit = wb == 0 && line.view().find('\t') == std::string_view::npos && len * 6 > cw;
            for (int k = 0, pos = len ? 1 : 0;; ++k, ++d) {
                ASSERT_LT(d, v.GetCount());
                const TBvInfo& r = v.Info(d);
                ASSERT_EQ(std::tuple(r.OrgIndex, int(r.SubLine), r.OrgPos), std::tuple(a, k, pos));
                ASSERT_TRUE(len == 0 ? r.Len == 0 : r.Len >= 1);
                if (len) {
                    ASSERT_NE(TBvLines::IsStrLeadBytePos(line, r.OrgPos + r.Len), 2) << "piece splits a character";
                }
                if (wb == 0 && r.Len > 2) {
                    ASSERT_LE(v.TabbedTextWidth(line.data(), size_t(r.Len)), std::max(cw, 6))
                        << "wider than the client";
                }
                const int n = wb > 0 ? wb : evenFit ? even : wb < 0 ? len : r.Len;  // the size before the adjustment
                ASSERT_TRUE(len == 0 || r.Len == n || r.Len == n - 1 || (n == 1 && r.Len == 2)) << r.Len;
                pos += r.Len;
                ASSERT_EQ(bool(r.Cr), pos > len || len == 0) << "Cr on the last piece only";
                if (r.Cr) break;
            }
            ++d;
            for (int p = len ? 1 : 0; p <= len; ++p) {
                const TPoint disp = v.ConvertLocateFromOrg({p, a});
                ASSERT_GE(disp.X, 1);
                ASSERT_EQ(v.ConvertLocateToOrg(disp), (TPoint{p, a}));
            }
        }
        ASSERT_EQ(d, v.GetCount());
    }
}

// After edits to the store, re-deriving from the lowest touched line equals a full derivation.
TEST_F(BvLinesTest, PartialDerivationMatchesFull)
{
    std::mt19937 rng(7);
    const auto line = [&] { return T(std::string(rng() % 40, char('a' + rng() % 3)) + (rng() % 2 ? "\x82\xA0" : "")); };
    for (int wb : {0, 7}) {
        v.SetWrapByte(wb);
        for (int step = 0; step < 200; ++step) {
            if (store.Count() < 5) {
                const int at = store.Count();
                for (int i = 0; i < 30; ++i) store.Add(line());
                v.CalcBvLines(at);
            }
            int from = int(rng() % unsigned(store.Count() + 1));
            const int last = store.Count() - 1, to = int(rng() % unsigned(last + 1));
            switch (rng() % 5) {
            case 0: store.Insert(from, line()); break;
            case 1: from = std::min(from, last), store.Delete(from); break;
            case 2: from = std::min(from, last), store.Put(from, line()); break;
            case 3: store.Exchange(std::min(from, last), to), from = std::min({from, to, last}); break;
            default: store.SetCount(from); break;  // cut the tail: the surplus records go
            }
            v.CalcBvLines(from);
            TBvLines full(store, m);
            full.SetWrapByte(wb);
            full.CalcBvLines(0);
            ASSERT_EQ(Pieces(v), Pieces(full)) << "step " << step;
        }
    }
}

TEST_F(BvLinesTest, ALongDerivationThatGrowsItsRecordsKeepsEveryRecord)
{
    // Long enough for the records' pages to be faulted in ahead on another thread, and three
    // pieces a line, so that the records move twice while that runs.
    const int lines = 400000;
    for (int a = 0; a < lines; ++a) store.Add(T(a % 7 ? "abcdefghi" : ""));
    v.SetWrapByte(3);
    v.CalcBvLines(0);
    int i = 0, wrong = 0;
    for (int a = 0; a < lines; ++a)
        for (int k = 0; k < (a % 7 ? 3 : 1); ++k, ++i) {
            const Piece want = a % 7 ? Piece{a, 1 + 3 * k, 3, k, k == 2} : Piece{a, 0, 0, 0, true};
            const TBvInfo& r = v.Info(i);
            wrong += Piece{r.OrgIndex, r.OrgPos, r.Len, int(r.SubLine), bool(r.Cr)} != want;
        }
    EXPECT_EQ(v.GetCount(), i);
    EXPECT_EQ(wrong, 0);
}
