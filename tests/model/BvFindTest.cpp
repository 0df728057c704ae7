#include "model/BvFind.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/BvLines.h"
#include "support/CellMeasure.h"
#include "support/FindReference.h"

namespace {

// The lines of a text split at CR and CR LF as a loaded file holds them: slices of one block, in
// order, NULs kept.
void Slice(TBvStrings& store, const std::string& text)
{
    const TBvText whole{std::string_view(text)};
    size_t p = 0;
    while (p < text.size()) {
        size_t q = text.find('\r', p);
        if (q == std::string::npos) q = text.size();
        store.Add(whole.Mid(p, q - p));
        p = q + 1;
        if (p < text.size() && text[p] == '\n') ++p;
    }
}

struct Lines {
    TBvStrings store;
    CellMeasure m;
    TBvLines v{store, m};
    explicit Lines(const std::string& text, int wrapByte = 0)
    {
        v.SetWrapByte(wrapByte);
        Slice(store, text);
        v.CalcBvLines(0);
    }
};

}  // namespace

TEST(BvFind, TheRuleOverDisplayLines)
{
    const std::string a = "\x83\x41";        // ア: its trail byte is 'A'
    const std::string so = "\x83\x5c";       // ソ: its trail byte is '\'
    const std::string wideAbc = "\x82\x60\x82\x61\x82\x62";  // ＡＢＣ
    struct Case {
        const char* name;
        std::string text;
        int wrapByte;
        std::string find;
        bool matchCase;
        int from;
        int forward, backward;
    } cases[] = {
        {"the start line is searched first", "xabc\r\nabc\r\n", 0, "abc", false, 0, 0, 0},
        {"the next line from below", "xabc\r\nabc\r\nabc\r\n", 0, "abc", false, 1, 1, 1},
        {"found only in lines not yet passed", "abc\r\nx\r\n", 0, "abc", false, 1, -1, 0},
        {"a later occurrence in the same line is no new line", "abc abc\r\nx\r\n", 0, "abc", false, 1, -1, 0},
        {"case folded both ways", "x\r\naBc\r\n", 0, "AbC", false, 0, 1, -1},
        {"case kept with match-case", "ABC\r\nabc\r\n", 0, "abc", true, 1, 1, 1},
        {"match-case: no other case", "ABC\r\n", 0, "abc", true, 0, -1, -1},
        {"full-width letters are not folded", wideAbc + "\r\n", 0, "abc", false, 0, -1, -1},
        {"a letter matches a trail byte", "x\r\n" + a + "\r\n", 0, "a", false, 0, 1, -1},
        {"a trail byte keeps its case with match-case", a + "\r\n", 0, "a", true, 0, -1, -1},
        {"a match may begin on a trail byte", so + "x\r\n", 0, "\\x", true, 0, 0, 0},
        {"a wrap point splits the text", "abcdefghij\r\n", 5, "efg", false, 0, -1, -1},
        {"the piece after the wrap holds its own bytes", "abcdefghij\r\n", 5, "fgh", false, 1, 1, 1},
        {"a line end splits the text", "ab\r\ncd\r\n", 0, "bc", false, 0, -1, -1},
        {"nothing after a NUL", std::string("ab\0cd\r\n", 7), 0, "cd", false, 0, -1, -1},
        {"before a NUL is found", std::string("ab\0cd\r\n", 7), 0, "ab", false, 0, 0, 0},
        {"a NUL ends only its own display line", std::string("a\0bc\r\nbc\r\n", 10), 0, "bc", false, 0, 1, -1},
        {"a NUL ends the piece, not the next", std::string("a\0bcdef\r\n", 9), 4, "def", false, 1, 1, 1},
        {"longer than every line", "abc\r\nab\r\n", 0, "abcd", false, 0, -1, -1},
        {"backward from the last line", "abc\r\nx\r\nabc\r\ny\r\n", 0, "ABC", false, 3, -1, 2},
        {"start past the end", "abc\r\n", 0, "abc", false, 5, -1, 0},
        {"empty lines between", "\r\n\r\nq\r\n\r\n", 0, "q", false, 3, -1, 2},
    };
    for (const Case& c : cases) {
        Lines l(c.text, c.wrapByte);
        const TBvFind f(c.find, c.matchCase);
        EXPECT_EQ(f.Forward(l.v, c.from), c.forward) << c.name;
        EXPECT_EQ(f.Backward(l.v, c.from), c.backward) << c.name;
        EXPECT_EQ(reference::FindForward(l.v, c.find, c.matchCase, c.from), c.forward) << c.name << " (reference)";
        EXPECT_EQ(reference::FindBackward(l.v, c.find, c.matchCase, c.from), c.backward) << c.name << " (reference)";
    }
}

// The letters at both ends of A-Z and a-z, and the bytes just outside them, in the text and in
// the find text, at every vector width and at places the vector scans reach.
TEST(BvFind, TheEndsOfTheAlphabetFoldBothWaysAndTheirNeighboursDoNot)
{
    struct Case {
        std::string find, text;
        bool matchCase, found;
    };
    const Case cases[] = {
        {"z", "Z", false, true},   {"Z", "z", false, true},   {"Z", "Z", false, true},   {"z", "z", false, true},
        {"a", "A", false, true},   {"A", "a", false, true},   {"z", "Z", true, false},   {"Z", "z", true, false},
        {"qz", "QZ", false, true}, {"zQ", "Zq", false, true}, {"azq", "AZQ", false, true}, {"AZQ", "azq", false, true},
        {"azq", "aZq", true, false},
        {"@", "`", false, false},  {"`", "@", false, false},  {"[", "{", false, false},  {"{", "[", false, false},
        {"z{", "Z[", false, false}, {"@z", "`Z", false, false},
    };
    for (const Case& c : cases)
        for (const int width : {1, 16, 32})
            for (const size_t at : {size_t(0), size_t(5), size_t(100)}) {
                const std::string hay = std::string(at, '.') + c.text + std::string(100, '.');
                TBvFind f(c.find, c.matchCase);
                f.limits.VectorBytes = width;
                const auto* s = reinterpret_cast<const uint8_t*>(hay.data());
                EXPECT_EQ(f.Scan(s, hay.size(), 0), c.found ? at : hay.size())
                    << c.find << " in " << c.text << " at " << at << ", vector " << width;
                Lines l("x\r\n" + c.text + "\r\n");
                EXPECT_EQ(f.Forward(l.v, 0), c.found ? 1 : -1) << c.find << " in " << c.text << ", vector " << width;
                EXPECT_EQ(f.Backward(l.v, 1), c.found ? 1 : -1) << c.find << " in " << c.text << ", vector " << width;
            }
}

// The fast search against the line-at-a-time loop: texts from a small alphabet (letters in both
// cases, a lead byte, NUL, tab) so that matches, folds, NULs and wraps meet often; lines that
// are slices of one block, own blocks, and slices moved out of order; every vector width; pieces
// from a few bytes to the whole text.
TEST(BvFind, SameAsTheLineLoop)
{
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const std::string alphabet("aAbBzZ \x82\x83\x41\x00\t", 12);
    const int widths[] = {1, 16, 32};
    int found = 0, total = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int lines = 1 + pick(60);
        for (int i = 0; i < lines; ++i) {
            const int len = pick(8) == 0 ? pick(300) : pick(40);
            for (int k = 0; k < len; ++k) text += alphabet[size_t(pick(int(alphabet.size())))];
            text += pick(4) ? "\r\n" : "\r";
        }
        Lines l(text);
        // Some lines of their own, some slices out of order.
        for (int e = pick(4); e > 0 && l.store.Count() > 1; --e) {
            const int a = pick(l.store.Count()), b = pick(l.store.Count());
            if (pick(2)) l.store.Exchange(a, b);
            else l.store.Put(a, TBvText(l.store.Get(b).str() + "aB"));
        }
        l.m.client = 6 * (1 + pick(30));
        l.v.SetWordWrap(pick(5) != 0);
        l.v.SetWrapByte(pick(3) ? 0 : 1 + pick(12));
        l.v.CalcBvLines(0);

        for (int q = 0; q < 8; ++q) {
            std::string find;
            if (pick(3) && !text.empty()) {
                const size_t at = size_t(pick(int(text.size())));
                find = text.substr(at, size_t(1 + pick(6)));
            } else {
                for (int k = 1 + pick(4); k > 0; --k) find += alphabet[size_t(pick(int(alphabet.size())))];
            }
            const bool matchCase = pick(2);
            TBvFind f(find, matchCase);
            f.limits.FirstBytes = size_t(1 + pick(64));
            f.limits.MaxBytes = f.limits.FirstBytes * size_t(1 + pick(8));
            f.limits.MaxLines = 1 + pick(20);
            f.limits.VectorBytes = widths[pick(3)];
            const int from = pick(l.v.GetCount() + 2) - 1;
            const int fwd = reference::FindForward(l.v, find, matchCase, from);
            const int bwd = reference::FindBackward(l.v, find, matchCase, from);
            ASSERT_EQ(f.Forward(l.v, from), fwd) << "round " << round << " query " << q;
            ASSERT_EQ(f.Backward(l.v, from), bwd) << "round " << round << " query " << q;
            found += (fwd >= 0) + (bwd >= 0);
            total += 2;

            // The scan alone: the first byte match at or after a position.
            const auto* s = reinterpret_cast<const uint8_t*>(text.data());
            const size_t start = size_t(pick(int(text.size()) + 1));
            const std::string hay = matchCase ? text : reference::Fold(text);
            const size_t expect = hay.find(matchCase ? find : reference::Fold(find), start);
            EXPECT_EQ(f.Scan(s, text.size(), start), expect == std::string::npos ? text.size() : expect);
        }
    }
    // Both outcomes are well represented.
    EXPECT_GT(found, total / 4);
    EXPECT_LT(found, total * 3 / 4);
}

TEST(BvFind, CallsTheProgressBetweenPiecesOnly)
{
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "line of text\r\n";
    Lines l(text);
    TBvFind f("absent", false);
    f.limits.FirstBytes = 1024;
    f.limits.MaxBytes = 1024;
    int calls = 0;
    EXPECT_EQ(f.Forward(l.v, 0, [&] { ++calls; }), -1);
    EXPECT_GE(calls, 12);  // 14 kB in pieces of at most 1 kB
    EXPECT_LE(calls, 15);
    calls = 0;
    EXPECT_EQ(TBvFind("line", false).Forward(l.v, 0, [&] { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
}
