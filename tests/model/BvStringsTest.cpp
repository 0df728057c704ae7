#include "model/BvStrings.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <sstream>

#include "platform/Exception.h"

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

namespace {

TBvText T(const std::string& s) { return TBvText(std::string_view(s)); }

Lines Of(const TBvStrings& s)
{
    Lines out;
    for (int i = 0; i < s.Count(); ++i) out.push_back(s.Get(i).str());
    return out;
}

void Fill(TBvStrings& s, std::initializer_list<const char*> lines)
{
    for (const char* l : lines) s.Add(l);
}

Lines Text(const std::string& bytes, bool comma = false)
{
    TBvStrings s;
    if (comma) s.SetCommaText(T(bytes));
    else s.SetTextStr(T(bytes));
    if (!comma) {
        EXPECT_EQ(s.Capacity(), s.Count());
    }
    return Of(s);
}

struct FileTest : ::testing::Test {
    QTemporaryDir dir;
    TBvStrings s;
    std::string Path(const char* name = "t.txt") const { return dir.filePath(name).toStdString(); }
    Lines Load(const std::string& bytes)
    {
        std::ofstream(Path(), std::ios::binary | std::ios::trunc) << bytes;
        s.LoadFromFile(Path());
        EXPECT_EQ(s.Capacity(), s.Count());
        return Of(s);
    }
};

}  // namespace

TEST(BvStrings, GrowthAndEditing)
{
    TBvStrings s;
    EXPECT_EQ(s.Add("a"), 0);
    EXPECT_EQ(s.Capacity(), 32);
    s.Delete(0);
    EXPECT_EQ(std::pair(s.Count(), s.Capacity()), std::pair(0, 32));
    s.Clear();
    EXPECT_EQ(s.Capacity(), 0);
    for (int i = 0; i < 33; ++i) s.Add(T(std::to_string(i)));
    EXPECT_EQ(s.Capacity(), 64);
    s.SetCount(3);
    s.SetCapacity(3);
    s.SetCount(5);  // beyond the capacity: grows it, new lines empty
    EXPECT_EQ(s.Capacity(), 5);
    s.Insert(5, "e");
    s.Insert(0, "z");
    s.Exchange(0, 3);
    s.Put(1, "A");
    s.Delete(2);
    EXPECT_THAT(Of(s), ElementsAre("2", "A", "z", "", "", "e"));
    EXPECT_EQ(s.IndexOf("z"), 2);
    EXPECT_EQ(s.IndexOf("Z"), -1);
}

TEST(BvStrings, AddingOwnLinesWhileGrowing)
{
    // The new line may be a reference into the store's own array, which growth moves.
    TBvStrings s;
    s.Add(T(std::string(40, 'x')));
    for (int i = 0; i < 100; ++i) s.Add(s.Get(i));
    for (int i = 0; i < 100; ++i) s.Insert(0, s.Get(s.Count() - 1));
    ASSERT_EQ(s.Count(), 201);
    for (int i = 0; i < s.Count(); ++i) EXPECT_EQ(s.Get(i).str(), std::string(40, 'x'));
}

TEST(BvStrings, RangeErrorsChangeNothing)
{
    TBvStrings s;
    Fill(s, {"a", "b"});
    const std::vector<std::function<void()>> bad = {
        [&] { s.Insert(3, "x"); },  [&] { s.Insert(-1, "x"); },
        [&] { s.Get(-1); },         [&] { s.Get(2); },
        [&] { s.Put(2, "x"); },     [&] { s.Delete(2); },
        [&] { s.Exchange(0, 2); },  [&] { s.SetCapacity(1); },
        [&] { s.SetCapacity(-1); }, [&] { s.SetCapacity(TBvStrings::MaxListSize + 1); },
        [&] { s.SetCount(-1); },    [&] { s.SetCount(134217728); }};
    for (size_t i = 0; i < bad.size(); ++i) {
        try {
            bad[i]();
            ADD_FAILURE() << "no range error from case " << i;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "インデックスがリストの範囲を超えています");
        }
        EXPECT_THAT(Of(s), ElementsAre("a", "b")) << i;
        EXPECT_EQ(s.Capacity(), 32) << i;
    }
    s.SetCapacity(2);  // down to Count is allowed
    EXPECT_EQ(s.Capacity(), 2);
}

TEST_F(FileTest, LineRules)
{
    EXPECT_THAT(Load(""), ElementsAre());
    EXPECT_THAT(Load("\x1A"
                     "abc"),
                ElementsAre());
    EXPECT_THAT(Load("abc"), ElementsAre("abc"));
    EXPECT_THAT(Load("abc\r\n\r\n"), ElementsAre("abc", ""));
    EXPECT_THAT(Load("a\rb"), ElementsAre("a", "b"));
    EXPECT_THAT(Load("a\nb\r\n"), ElementsAre("a\nb"));
    EXPECT_THAT(Load("a\n\rb\r\r\n"), ElementsAre("a\n", "b", ""));
    EXPECT_THAT(Load("abc\x1A"
                     "def\r\nxyz"),
                ElementsAre("abc"));
    EXPECT_THAT(Load(std::string("a\0b\r\0", 5)), ElementsAre(std::string("a\0b", 3), std::string(1, '\0')));
}

TEST_F(FileTest, LinesShareTheFileBuffer)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += "line " + std::to_string(i) + "\r\n";
    Load(bytes);
    ASSERT_EQ(s.Count(), 1000);
    // One block for every line, and one reference to it for the whole store.
    EXPECT_EQ(s.Get(0).block(), s.Get(999).block());
    EXPECT_EQ(s.Get(0).RefCount(), 2u);
    EXPECT_EQ(s.Get(999).data() - s.Get(0).data(), std::ptrdiff_t(bytes.size() - 10));
    const TBvText kept = s.Get(7);
    s.Clear();
    EXPECT_EQ(kept.str(), "line 7");  // a line outlives the store
}

TEST_F(FileTest, UnreadableNamesGiveAnEmptyStoreAtOnce)
{
    const std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {Path("missing"), dir.path().toStdString(), fifo, std::string("/dev/zero")}) {
        s.Add("old");
        const auto t0 = std::chrono::steady_clock::now();
        s.LoadFromFile(name);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)) << name;
        EXPECT_EQ(std::pair(s.Count(), s.Capacity()), std::pair(0, 0)) << name;
    }
}

TEST_F(FileTest, SaveWritesCrLfAfterEachLine)
{
    Fill(s, {"a", "", "b\nc"});
    s.SaveToFile(Path("out.txt"));
    std::ifstream in(Path("out.txt"), std::ios::binary);
    EXPECT_EQ((std::stringstream() << in.rdbuf()).str(), "a\r\n\r\nb\nc\r\n");
}

TEST(BvStrings, TextRules)
{
    EXPECT_THAT(Text(""), ElementsAre());
    EXPECT_THAT(Text("a\nb"), ElementsAre("a", "b"));
    EXPECT_THAT(Text("a\rb\r\nc\n"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(Text("a\n\rb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(Text(std::string("a\0b", 3)), ElementsAre("a"));
    EXPECT_THAT(Text(std::string("\0b", 2)), ElementsAre(""));
    EXPECT_THAT(Text("a\x1A"
                     "b"),
                ElementsAre("a\x1A"
                            "b"));
    EXPECT_THAT(Text(std::string(100, 'x')), ElementsAre(std::string(100, 'x')));  // 3 slots trimmed to 1

    TBvStrings s;
    EXPECT_EQ(s.GetTextStr().str(), "");
    Fill(s, {"a", ""});
    EXPECT_EQ(s.GetTextStr().str(), "a\r\n\r\n");
}

TEST(BvStrings, CommaText)
{
    TBvStrings s;
    EXPECT_EQ(s.GetCommaText().str(), "");
    Fill(s, {"a", "b c", "x,y", "q\"r", ""});
    EXPECT_EQ(s.GetCommaText().str(), "a,\"b c\",\"x,y\",q\"r,");
    EXPECT_THAT(Text("a,\"b c\"", true), ElementsAre("a", "b c"));
    EXPECT_THAT(Text("c,", true), ElementsAre("c"));  // a final empty line is lost
    EXPECT_THAT(Text("a,,b c", true), ElementsAre("a", "", "b c"));
    EXPECT_THAT(Text("a\"b,c", true), ElementsAre("a", "b", "c"));
    EXPECT_THAT(Text("\"a\"xb", true), ElementsAre("a", "b"));
    EXPECT_THAT(Text("a\r\nb", true), ElementsAre("a", "\nb"));
    EXPECT_THAT(Text("\"a,b", true), ElementsAre("a,b"));
}

TEST(BvStrings, Find)
{
    TBvStrings s;
    // clang-format off
    Fill(s, {"xAB", "no", "\x82" "a-aB"});
    // clang-format on
    const auto find = [&](const char* what, int index, int pos) {
        const bool found = s.Find(what, index, pos);
        return std::tuple(found, index, pos);
    };
    EXPECT_EQ(find("ab", 0, 1), std::tuple(true, 0, 2));
    EXPECT_EQ(find("ab", 0, 3), std::tuple(true, 2, 4));  // on with the next lines
    EXPECT_EQ(find("ab", 2, 5), std::tuple(false, 3, 1));
    // clang-format off
    EXPECT_EQ(find("\x82" "A", -5, -5), std::tuple(true, 2, 1));
    EXPECT_EQ(find("\xA2" "a", 0, 1), std::tuple(false, 3, 1));  // only ASCII letters fold
    // clang-format on
    EXPECT_EQ(find("xABx", 0, 1), std::tuple(false, 3, 1));
    EXPECT_EQ(find("", 1, 2), std::tuple(false, 1, 2));
}

TEST(BvStrings, Sort)
{
    const auto cmp = [](const TBvText& a, const TBvText& b) { return a.view().compare(b.view()); };
    TBvStrings s;
    // Large sorted, reversed and all-equal inputs must not exhaust the stack.
    for (int kind = 0; kind < 3; ++kind) {
        s.Clear();
        for (int i = 0; i < 100000; ++i) s.Add(T(std::to_string(2000000 + (kind == 0 ? i : kind == 1 ? -i : 7))));
        s.Sort(cmp);
        for (int i = 1; i < s.Count(); ++i) ASSERT_LE(cmp(s.Get(i - 1), s.Get(i)), 0) << kind << " " << i;
    }
}

TEST(BvStrings, StreamsAndCopies)
{
    TBvStrings a, b;
    Fill(a, {"a", "b"});
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    buf.write("xy");
    a.SaveToStream(buf);
    EXPECT_EQ(buf.data(), QByteArray("xya\r\nb\r\n"));
    buf.seek(1);  // from the current position, by the text rules
    b.LoadFromStream(buf);
    EXPECT_THAT(Of(b), ElementsAre("ya", "b"));

    b.AddStrings(a);
    EXPECT_EQ(b.Capacity(), 4);
    b.AddStrings(b);
    EXPECT_THAT(Of(b), ElementsAre("ya", "b", "a", "b", "ya", "b", "a", "b"));
    b.Assign(a);
    EXPECT_THAT(Of(b), ElementsAre("a", "b"));
    EXPECT_EQ(b.Get(0).data(), a.Get(0).data());  // shared, not copied
    b.Assign(std::vector<TBvText>{"p", "q", "r"});
    b.CopyTo(a);
    EXPECT_THAT(Of(a), ElementsAre("p", "q", "r"));
}
