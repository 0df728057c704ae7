// The navigation history as a value: adding, moving, comparing names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/History.h"

namespace {

using Names = std::vector<std::string>;

TEST(History, OpeningPutsTheFileAtTheHeadAndDropsTheNewerEntries)
{
    THistory h;
    EXPECT_EQ(h.Index(), -1);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    for (const char* n : {"/d/A", "/d/B", "/d/C"}) EXPECT_TRUE(h.Add(n));
    EXPECT_EQ(h.Entries(), Names({"/d/C", "/d/B", "/d/A"}));
    EXPECT_EQ(h.Index(), 0);
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());

    ASSERT_TRUE(h.MoveTo(1));
    EXPECT_EQ(h.Current(), "/d/B");
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_TRUE(h.CanGoForward());
    EXPECT_TRUE(h.Add("/d/D"));  // C, newer than the B shown, is dropped
    EXPECT_EQ(h.Entries(), Names({"/d/D", "/d/B", "/d/A"}));
    EXPECT_EQ(h.Index(), 0);

    // A file in the history but not current gets a second entry at the head.
    EXPECT_TRUE(h.Add("/d/A"));
    EXPECT_EQ(h.Entries(), Names({"/d/A", "/d/D", "/d/B", "/d/A"}));
}

TEST(History, TheFileShownNowChangesNothingAlsoInAnotherCase)
{
    THistory h;
    h.Add("/d/a.txt");
    h.Add("/d/b.txt");
    for (const char* same : {"/d/b.txt", "/D/B.TXT", "/d/B.txt"}) {
        EXPECT_FALSE(h.Add(same)) << same;
        EXPECT_EQ(h.Entries(), Names({"/d/b.txt", "/d/a.txt"}));
        EXPECT_EQ(h.Index(), 0);
    }
    // The first match from the newest decides: a.txt is at the head, so the older a.txt that is
    // current does not stop the add.
    h.Add("/d/a.txt");
    h.Add("/d/c.txt");
    ASSERT_EQ(h.Entries(), Names({"/d/c.txt", "/d/a.txt", "/d/b.txt", "/d/a.txt"}));
    ASSERT_TRUE(h.MoveTo(3));
    EXPECT_TRUE(h.Add("/d/A.TXT"));
    EXPECT_EQ(h.Entries(), Names({"/d/A.TXT", "/d/a.txt"}));
}

TEST(History, NamesCompareByUnicodeCaseFoldingOfTheNamesAsTheTitleShowsThem)
{
    struct Case {
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        {"/x/Readme", "/x/README", true},
        {"/x/\xc3\x84rger.txt", "/x/\xc3\xa4RGER.TXT", true},          // Ärger, äRGER
        {"/x/\xce\xa3\xce\xb1.txt", "/x/\xcf\x83\xce\x91.TXT", true},  // Σα, σΑ
        {"/x/\xef\xbc\xa1.txt", "/x/\xef\xbd\x81.txt", true},          // full-width Ａ, ａ
        // Shift-JIS names from a Windows archive: あ.txt and い.txt are two files.
        {"/x/\x82\xa0.txt", "/x/\x82\xa2.txt", false},
        {"/x/\x82\xa0.txt", "/x/\x82\xa0.TXT", true},
        {"/x/\x82\x60.txt", "/x/\x82\x81.txt", true},                        // full-width Ａ, ａ
        {"/x/\x82\xa0.txt", "/x/\xe3\x81\x82.txt", true},                    // あ in Shift-JIS and in UTF-8
        {"/\x93\xfa/\xe3\x81\x82.txt", "/\xe6\x97\xa5/\x82\xa0.TXT", true},  // 日/あ, each part on its own
        // Bytes that are no character tell names apart only by themselves.
        {"/x/\xff.txt", "/x/\xfe.txt", false},
        {"/x/\xff.txt", "/x/\xff.txt", true},
        {"/x/\xef\xbf\xbd.txt", "/x/\xff.txt", false},
        {"/x/a.txt", "/x/a.txt ", false},
        {"/x/a.txt", "/y/a.txt", false},
        {"", "", true},
    };
    for (const Case& c : cases) EXPECT_EQ(THistory::SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(History, ThirtyFilesAndBackTwentyNineTimesReachTheFirst)
{
    THistory h;
    for (int i = 0; i < 30; ++i) h.Add("/d/f" + std::to_string(i));
    EXPECT_EQ(h.Count(), 30);  // no bound: every file stays
    for (int i = 0; i < 29; ++i) {
        ASSERT_TRUE(h.CanGoBack()) << i;
        ASSERT_TRUE(h.MoveTo(h.Index() + 1));
    }
    EXPECT_EQ(h.Current(), "/d/f0");
    EXPECT_FALSE(h.CanGoBack());
    // A move past either end changes nothing.
    EXPECT_FALSE(h.MoveTo(30));
    EXPECT_FALSE(h.MoveTo(-1));
    EXPECT_EQ(h.Index(), 29);
}

TEST(History, EachEntryKeepsThePlaceItWasLeftAtThroughAddsAndMoves)
{
    THistory h;
    h.SetPlace({5, 5});  // no entry yet: nothing to keep it
    EXPECT_EQ(h.Place(0), TPlace{});
    // Each file is left at a place of its own as the next one opens.
    for (int i = 0; i < 4; ++i) {
        h.Add("/d/f" + std::to_string(i));
        EXPECT_EQ(h.Place(0), TPlace{}) << "a new entry starts at the top";
        h.SetPlace({10 * i + 1, i});
    }
    // Newest first: f3 f2 f1 f0.
    for (int index = 0; index < 4; ++index) EXPECT_EQ(h.Place(index), (TPlace{10 * (3 - index) + 1, 3 - index}));
    ASSERT_TRUE(h.MoveTo(2));  // f1
    h.SetPlace({7, 70});
    EXPECT_EQ(h.Place(2), (TPlace{7, 70}));
    EXPECT_EQ(h.Place(0), (TPlace{31, 3})) << "only the current entry's place is set";
    // Opening from f1 drops f3 and f2; f1 and f0 keep their places beside their names.
    h.Add("/d/new");
    ASSERT_EQ(h.Entries(), Names({"/d/new", "/d/f1", "/d/f0"}));
    EXPECT_EQ(h.Place(0), TPlace{});
    EXPECT_EQ(h.Place(1), (TPlace{7, 70}));
    EXPECT_EQ(h.Place(2), (TPlace{1, 0}));
    // Opening the file shown changes nothing, its place included.
    h.SetPlace({4, 0});
    EXPECT_FALSE(h.Add("/d/NEW"));
    EXPECT_EQ(h.Place(0), (TPlace{4, 0}));
    // No such entry: the top.
    EXPECT_EQ(h.Place(3), TPlace{});
    EXPECT_EQ(h.Place(-1), TPlace{});
}

}  // namespace
