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

const TBvEncoding Sjis = TBvEncoding::Cp932, Euc = TBvEncoding::EucJp, Utf8 = TBvEncoding::Utf8;

}  // namespace

// Forwards from (line, pos) and backwards from the same place, the fast search and the reference.
TEST(BvFind, TheRuleOverFileLines)
{
    struct Case {
        const char* name;
        std::string text;
        TBvEncoding enc;
        std::string find;
        bool matchCase;
        int line;
        size_t pos;
        TBvMatch forward, backward;
        // clang-format off
    } cases[] = {
        {"found where the search starts", "xabc\r\nabc\r\n", Sjis, "abc", false, 0, 1, {0, 1, 3}, {}},
        {"a later match in the same line", "abc abc\r\n", Sjis, "abc", false, 0, 1, {0, 4, 3}, {0, 0, 3}},
        {"the next line", "abc\r\nx abc\r\n", Sjis, "abc", false, 0, 1, {1, 2, 3}, {0, 0, 3}},
        {"backwards: before pos only", "abcabc\r\n", Sjis, "abc", false, 0, 3, {0, 3, 3}, {0, 0, 3}},
        {"overlapping matches", "aaaa\r\n", Sjis, "aa", false, 0, 1, {0, 1, 2}, {0, 0, 2}},
        {"case folded both ways", "x\r\naBc\r\n", Sjis, "AbC", false, 0, 0, {1, 0, 3}, {}},
        {"case kept with match-case", "ABC\r\nabc\r\n", Sjis, "abc", true, 0, 0, {1, 0, 3}, {}},
        {"full-width letters are not folded", "\x82\x60\x82\x61\r\n", Sjis, "\x82\x81\x82\x82", false, 0, 0, {}, {}},
        {"a line end splits the text", "ab\r\ncd\r\n", Sjis, "bc", false, 0, 0, {}, {}},
        {"after a NUL", std::string("ab\0cd\r\n", 7), Sjis, "cd", false, 0, 0, {0, 3, 2}, {}},
        {"a NUL in the text", std::string("ab\0cd\r\n", 7), Sjis, std::string("b\0c", 3), true, 0, 0, {0, 1, 3}, {}},
        {"longer than every line", "abc\r\nab\r\n", Sjis, "abcd", false, 0, 0, {}, {}},
        {"backwards from past the end", "abc\r\nx\r\nabc\r\ny\r\n", Sjis, "ABC", false, 9, 0, {}, {2, 0, 3}},
        {"forwards from before the start", "abc\r\n", Sjis, "abc", false, -1, 7, {0, 0, 3}, {}},
        {"pos past the line's end", "abc\r\nabc\r\n", Sjis, "abc", false, 0, 99, {1, 0, 3}, {0, 0, 3}},
        {"the empty text finds nothing", "abc\r\n", Sjis, "", false, 0, 0, {}, {}},
        // A one-byte character after a full-width one whose trail byte it equals.
        {"\\ in 表 is its trail byte", "\x95\x5c\r\n", Sjis, "\\", false, 0, 0, {}, {}},
        {"\\ after 表", "\x95\x5c\\\r\n", Sjis, "\\", false, 0, 0, {0, 2, 1}, {}},
        {"@ in the full-width space", "\x81\x40\r\n", Sjis, "@", false, 0, 0, {}, {}},
        {"烽 across も and の", "\x82\xe0\x82\xcc\r\n", Sjis, "\xe0\x82", false, 0, 0, {}, {}},
        {"ア's trail byte is no a", "\x83\x41\r\n", Sjis, "a", false, 0, 0, {}, {}},
        {"ア found, not ャ (0x83 0x61)", "\x83\x61\x83\x41\r\n", Sjis, "\x83\x41", false, 0, 0, {0, 2, 2}, {}},
        {"a match ends at a character's end", "x\x83\x41\r\n", Sjis, "x\x83", false, 0, 0, {}, {}},
        {"EUC-JP: ア's trail byte", "\xa5\xa2\xa2\r\n", Euc, "\xa2\xa2", false, 0, 0, {}, {}},
        {"EUC-JP: whole characters", "\xa5\xa2\xa2\xa2\r\n", Euc, "\xa2\xa2", false, 0, 0, {0, 2, 2}, {}},
        {"UTF-8: a character's last bytes", "\xe3\x81\x82\r\n", Utf8, "\x81\x82", false, 0, 0, {}, {}},
        {"UTF-8: A folds", "\xe3\x81\x82" "A\r\n", Utf8, "\xe3\x81\x82" "a", false, 0, 0, {0, 0, 4}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Lines l(c.text);
        const TBvFind f(c.find, c.matchCase, c.enc);
        EXPECT_EQ(f.Forward(l.store, c.line, c.pos), c.forward) << c.name;
        EXPECT_EQ(f.Backward(l.store, c.line, c.pos), c.backward) << c.name;
        EXPECT_EQ(reference::FindForward(l.store, c.find, c.matchCase, c.enc, c.line, c.pos), c.forward)
            << c.name << " (reference)";
        EXPECT_EQ(reference::FindBackward(l.store, c.find, c.matchCase, c.enc, c.line, c.pos), c.backward)
            << c.name << " (reference)";
    }
}

// Every byte a full-width character of code page 932 can end with, sought alone (and, for
// letters, in the other case): never found on the trail byte, found as the character after it.
TEST(BvFind, NoMatchOnATrailByte)
{
    std::vector<int> trails;
    for (int t = 0x40; t <= 0x7E; ++t) trails.push_back(t);
    for (int t = 0x80; t <= 0xFC; ++t) trails.push_back(t);
    for (const int t : trails)
        for (const int lead : {0x81, 0x9F, 0xE0, 0xFC})
            for (const bool matchCase : {false, true}) {
                const char tb = char(t);
                std::string find(1, tb);
                if (!matchCase && ((t >= 'A' && t <= 'Z') || (t >= 'a' && t <= 'z'))) find[0] = char(t ^ 0x20);
                // The character, with room for the vector scan on both sides.
                const std::string pad(40, '.');
                Lines l(pad + char(lead) + tb + pad + "\r\n" + char(lead) + tb + tb + "\r\n");
                const TBvFind f(find, matchCase, Sjis);
                // After the character, the line's last byte is a character of its own.
                const TBvMatch after{1, 2, 1};
                EXPECT_EQ(f.Forward(l.store, 0, 0), after) << std::hex << lead << " " << t << " case " << matchCase;
                EXPECT_EQ(f.Backward(l.store, 1, 2), TBvMatch{}) << std::hex << lead << " " << t;
                EXPECT_EQ(reference::FindForward(l.store, find, matchCase, Sjis, 0, 0), after) << std::hex << t;
            }
}

// A text split by the wrap, at every width: found, and shown from the display line holding its
// first byte.
TEST(BvFind, AMatchSplitByTheWrapIsFoundAtEveryWidth)
{
    const std::string line = "abc NEEDLE \x88\x9f\x8e\x9a xyz";  // 亜字: two full-width characters
    for (const std::string find : {"needle", "E \x88\x9f\x8e\x9a x"})
        for (int wrap = 1; wrap <= int(line.size()) + 1; ++wrap) {
            Lines l("first\r\n" + line + "\r\n", wrap);
            const TBvMatch m = TBvFind(find, false).Forward(l.store, 0, 0);
            ASSERT_TRUE(m.Found()) << find << " wrap " << wrap;
            EXPECT_EQ(m.line, 1);
            EXPECT_EQ(m.pos, line.find(find == "needle" ? "NEEDLE" : find));
            const TDispPos at = l.v.FromOrg(TOrgPos{int(m.pos) + 1, m.line});
            const TBvPiece piece = l.v.Piece(at.Y);
            EXPECT_EQ(piece.OrgIndex, 1);
            EXPECT_LE(piece.OrgPos, int(m.pos) + 1) << "wrap " << wrap;
            EXPECT_GT(piece.OrgPos + piece.Len, int(m.pos) + 1) << "wrap " << wrap;
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
    // clang-format off
    const Case cases[] = {
        {"z", "Z", false, true},   {"Z", "z", false, true},   {"Z", "Z", false, true},   {"z", "z", false, true},
        {"a", "A", false, true},   {"A", "a", false, true},   {"z", "Z", true, false},   {"Z", "z", true, false},
        {"qz", "QZ", false, true}, {"zQ", "Zq", false, true}, {"azq", "AZQ", false, true}, {"AZQ", "azq", false, true},
        {"azq", "aZq", true, false},
        {"@", "`", false, false},  {"`", "@", false, false},  {"[", "{", false, false},  {"{", "[", false, false},
        {"z{", "Z[", false, false}, {"@z", "`Z", false, false},
    };
    // clang-format on
    for (const Case& c : cases)
        for (const int width : {1, 16, 32})
            for (const size_t at : {size_t(0), size_t(5), size_t(100)}) {
                const std::string hay = std::string(at, '.') + c.text + std::string(100, '.');
                TBvFind f(c.find, c.matchCase);
                f.limits.VectorBytes = width;
                const auto* s = reinterpret_cast<const uint8_t*>(hay.data());
                EXPECT_EQ(f.Scan(s, hay.size(), 0), c.found ? at : hay.size())
                    << c.find << " in " << c.text << " at " << at << ", vector " << width;
                Lines l("x\r\n" + hay + "\r\n");
                const TBvMatch m = c.found ? TBvMatch{1, at, c.find.size()} : TBvMatch{};
                EXPECT_EQ(f.Forward(l.store, 0, 0), m) << c.find << " in " << c.text << ", vector " << width;
                EXPECT_EQ(f.Backward(l.store, 2, 0), m) << c.find << " in " << c.text << ", vector " << width;
            }
}

// The fast search against the plain one: texts from a small alphabet (letters in both cases,
// lead and trail bytes of each encoding, NUL, tab) so that matches, folds and character
// boundaries meet often; lines that are slices of one block, own texts, and slices moved out of
// order; every vector width; pieces from a few bytes to the whole text; each encoding.
TEST(BvFind, SameAsTheReference)
{
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const std::string alphabets[] = {
        std::string("aAbBzZ \x82\x83\x41\x5c\xe0\x00\t", 14),
        std::string("aAbB \xa4\xa2\xa5\x8e\x8f\xb1\x00", 12),
        std::string("aAbB \xe3\x81\x82\x83\xc3\xa9\xf0\x00", 14),
    };
    const TBvEncoding encodings[] = {Sjis, Euc, Utf8};
    const int widths[] = {1, 16, 32};
    int found = 0, total = 0;
    for (int round = 0; round < 600; ++round) {
        const int e = round % 3;
        const std::string& alphabet = alphabets[e];
        std::string text;
        const int lines = 1 + pick(60);
        for (int i = 0; i < lines; ++i) {
            const int len = pick(8) == 0 ? pick(300) : pick(40);
            for (int k = 0; k < len; ++k) text += alphabet[size_t(pick(int(alphabet.size())))];
            text += pick(4) ? "\r\n" : "\r";
        }
        Lines l(text);
        // Some lines of their own, some slices out of order.
        for (int x = pick(4); x > 0 && l.store.Count() > 1; --x) {
            const int a = pick(l.store.Count()), b = pick(l.store.Count());
            if (pick(2)) l.store.Exchange(a, b);
            else l.store.Put(a, TBvText(l.store.Get(b).str() + "aB"));
        }
        for (int q = 0; q < 8; ++q) {
            std::string find;
            if (pick(3) && !text.empty()) {
                const size_t at = size_t(pick(int(text.size())));
                find = text.substr(at, size_t(1 + pick(6)));
            } else {
                for (int k = 1 + pick(4); k > 0; --k) find += alphabet[size_t(pick(int(alphabet.size())))];
            }
            const bool matchCase = pick(2);
            TBvFind f(find, matchCase, encodings[e]);
            f.limits.FirstBytes = size_t(1 + pick(64));
            f.limits.MaxBytes = f.limits.FirstBytes * size_t(1 + pick(8));
            f.limits.MaxLines = 1 + pick(20);
            f.limits.VectorBytes = widths[pick(3)];
            const int line = pick(l.store.Count() + 2) - 1;
            const size_t pos = size_t(pick(50));
            const TBvMatch fwd = reference::FindForward(l.store, find, matchCase, encodings[e], line, pos);
            const TBvMatch bwd = reference::FindBackward(l.store, find, matchCase, encodings[e], line, pos);
            ASSERT_EQ(f.Forward(l.store, line, pos), fwd) << "round " << round << " query " << q;
            ASSERT_EQ(f.Backward(l.store, line, pos), bwd) << "round " << round << " query " << q;
            found += fwd.Found() + bwd.Found();
            total += 2;

            // Every match of a window of one line, from a character start before it.
            const int i = pick(l.store.Count());
            const std::string_view bytes = l.store.View(i);
            const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
            const size_t lo = size_t(pick(int(bytes.size()) + 1)), hi = lo + size_t(pick(40));
            std::vector<size_t> each, expect;
            f.Each(s, bytes.size(), 0, lo, hi, [&](size_t at) { each.push_back(at); });
            for (const size_t at : reference::Matches(bytes, find, matchCase, encodings[e]))
                if (at >= lo && at < hi) expect.push_back(at);
            ASSERT_EQ(each, expect) << "round " << round << " query " << q;
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
    EXPECT_FALSE(f.Forward(l.store, 0, 0, [&] { ++calls; }).Found());
    EXPECT_GE(calls, 12);  // 14 kB in pieces of at most 1 kB
    EXPECT_LE(calls, 15);
    calls = 0;
    EXPECT_FALSE(f.Backward(l.store, 999, 99, [&] { ++calls; }).Found());
    EXPECT_GE(calls, 12);
    calls = 0;
    EXPECT_TRUE(TBvFind("line", false).Forward(l.store, 0, 0, [&] { ++calls; }).Found());
    EXPECT_EQ(calls, 0);
}
