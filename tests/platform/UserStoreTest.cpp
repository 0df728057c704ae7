// The per-user store: its file format, the read rules per type, keeping other programs' keys,
// unparseable files, and saving under a lock from several processes, killed or not.
#include "platform/UserStore.h"

#include <signal.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <ostream>

#include "SaverSet.h"
#include "support/StoreOracle.h"

using platform::REG_BINARY;
using platform::REG_DWORD;
using platform::REG_EXPAND_SZ;
using platform::REG_MULTI_SZ;
using platform::REG_NONE;
using platform::REG_QWORD;
using platform::REG_SZ;
using platform::TRegDocument;
using platform::TRegistry;
using platform::TRegValue;
using TLoadState = platform::TRegistry::TLoadState;

namespace platform {
void PrintTo(const TRegValue& v, std::ostream* os) { *os << "type " << v.Type << " " << v.Data.toHex().toStdString(); }
}  // namespace platform

namespace {

const QByteArray Head = "Windows Registry Editor Version 5.00\n\n";

class UserStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("tavuko/user.reg"));
    }
    void Put(const QByteArray& bytes, const QString& name = {})
    {
        QDir().mkpath(dir.filePath(QStringLiteral("tavuko")));
        QFile f(name.isEmpty() ? file : name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString& name = {}) const
    {
        QFile f(name.isEmpty() ? file : name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString file;
};

TEST_F(UserStoreTest, DefaultFileLiesUnderTheConfigHome)
{
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/x/conf");
    EXPECT_EQ(TRegistry::DefaultFileName(), QStringLiteral("/x/conf/tavuko/user.reg"));
    for (const char* unusable : {"", "relative/conf"}) {
        qputenv("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(TRegistry::DefaultFileName(), QDir::homePath() + QStringLiteral("/.config/tavuko/user.reg"));
    }
    qputenv("XDG_CONFIG_HOME", old);
}

TEST_F(UserStoreTest, EveryTypeOfValueRoundTripsThroughTheFile)
{
    QByteArray bytes200, nul("\0", 1);
    for (int i = 0; i < 200; ++i) bytes200 += char(255 - i);
    const std::vector<std::pair<QString, TRegValue>> values = {
        {"Zero", TRegValue::Dword(0)},
        {"Negative", TRegValue::Dword(-12)},
        {"Lowest", TRegValue::Dword(INT32_MIN)},
        {"Highest", TRegValue::Dword(INT32_MAX)},
        {"Text", TRegValue::Text(QStringLiteral("ＭＳ ゴシック"))},
        {"Quotes", TRegValue::Text(QStringLiteral("say \"hi\" C:\\dir\\ \\\\ end\\"))},
        {"Lines", TRegValue::Text(QStringLiteral("one\r\ntwo\nthree"))},
        {"Empty", TRegValue::Text(QString())},
        {"SizeZero", {REG_SZ, {}}},
        {"InnerNul", {REG_SZ, QByteArray("a\0b\0\0\0c\0\0\0", 10)}},
        {"Odd", {REG_SZ, QByteArray("abc", 3)}},
        {"Expand", TRegValue::Text(QStringLiteral("%HOME%/b"), REG_EXPAND_SZ)},
        {"Binary", {REG_BINARY, bytes200}},
        {"NoBytes", {REG_BINARY, {}}},
        {"None", {REG_NONE, nul}},
        {"Multi", {REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)}},
        {"Qword", {REG_QWORD, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)}},
        {"ShortDword", {REG_DWORD, QByteArray("\x01\x02", 2)}},
        {"Own type", {0x12345678, QByteArray("xyz")}},
        {"", TRegValue::Text(QStringLiteral("default"))},
        {"名前 \"q\" \\", TRegValue::Dword(7)},
        {"Surrogate", {REG_SZ, QByteArray("\x00\xD8\x00\x00", 4)}},
    };
    {
        TRegistry reg(file);
        EXPECT_EQ(reg.LoadState(), TLoadState::Missing);
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
        for (const auto& [name, v] : values) EXPECT_TRUE(reg.WriteValue(name, v)) << name.toStdString();
        ASSERT_TRUE(reg.Save());
    }
    TRegistry reg(file);
    ASSERT_EQ(reg.LoadState(), TLoadState::Loaded) << Get().toStdString();
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\software\\q.tabiri\\TAVUKO"), false));
    for (const auto& [name, v] : values) {
        TRegValue got;
        EXPECT_TRUE(reg.ReadValue(name.toUpper(), got)) << name.toStdString();
        EXPECT_EQ(got, v) << name.toStdString();
    }
    const QByteArray text = Get();
    EXPECT_TRUE(text.startsWith(Head + "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\n"
                                       "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n"
                                       "\"Zero\"=dword:00000000\n\"Negative\"=dword:fffffff4\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\"Text\"=\"ＭＳ ゴシック\"\n"));
    EXPECT_TRUE(text.contains("\"Quotes\"=\"say \\\"hi\\\" C:\\\\dir\\\\ \\\\\\\\ end\\\\\"\n"));
    EXPECT_TRUE(text.contains("\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,62,00,00,00\n"));
    EXPECT_TRUE(text.contains("@=\"default\"\n"));
    // Long byte lists are wrapped as exports wrap them, no line past 80 columns.
    for (const QByteArray& line : text.split('\n')) EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST_F(UserStoreTest, QuotesAndBackslashesAreWrittenEscapedExactly)
{
    // The value's name and text as given, and the line written for them.
    struct Case {
        QString name, text;
        QByteArray line;
    };
    const std::vector<Case> cases = {
        {"q", R"(")", R"("q"="\"")"},
        {"b", R"(\)", R"("b"="\\")"},
        {"bq", R"(\")", R"("bq"="\\\"")"},
        {"qb", R"("\)", R"("qb"="\"\\")"},
        {"bbq", R"(\\")", R"("bbq"="\\\\\"")"},
        {"path", R"(C:\Program Files\"x"\)", R"("path"="C:\\Program Files\\\"x\"\\")"},
        {"mixed", R"(a"b\c""d\\e)", R"("mixed"="a\"b\\c\"\"d\\\\e")"},
        {R"(n"a\me)", "v", R"("n\"a\\me"="v")"},
        {R"(\")", R"(\")", R"("\\\""="\\\"")"},
    };
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
    for (const Case& c : cases) ASSERT_TRUE(reg.WriteString(c.name, c.text)) << c.line.toStdString();
    ASSERT_TRUE(reg.Save());
    const QList<QByteArray> lines = Get().split('\n');
    for (const Case& c : cases)
        EXPECT_TRUE(lines.contains(c.line)) << c.line.toStdString() << "\n" << Get().toStdString();
    TRegistry back(file);
    ASSERT_TRUE(back.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false));
    for (const Case& c : cases) {
        QString text;
        EXPECT_TRUE(back.ReadString(c.name, text) && text == c.text) << c.line.toStdString();
    }
}

TEST_F(UserStoreTest, ReadRulesPerType)
{
    Put(Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n"
               "\"Dword\"=dword:0000000C\n"
               "\"Two\"=dword:2\n"
               "\"Minus\"=dword:ffffffff\n"
               "\"Zero\"=dword:00000000\n"
               "\"Text\"=\"12\"\n"
               "\"Empty\"=\"\"\n"
               "\"SizeZero\"=hex(1):\n"
               "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\n"
               "\"Nul\"=hex(1):61,00,00,00,62,00,00,00\n"
               "\"Binary\"=hex:01,00,00,00\n"
               "\"Short\"=hex(4):01,00\n"
               "\"BigEndian\"=hex(5):00,00,00,01\n"
               "\"Multi\"=hex(7):61,00,00,00,00,00\n");
    TRegistry reg(file);
    ASSERT_EQ(reg.LoadState(), TLoadState::Loaded);
    int32_t i = 99;
    bool b = false;
    QString s = QStringLiteral("x");
    EXPECT_FALSE(reg.ReadInteger(QStringLiteral("Dword"), i)) << "no key open";
    EXPECT_FALSE(reg.ReadString(QStringLiteral("Text"), s));
    EXPECT_FALSE(reg.WriteInteger(QStringLiteral("Dword"), 1));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false));

    struct Integer {
        const char* name;
        bool ok;
        int32_t value;
    };
    for (const Integer& c : std::vector<Integer>{{"Dword", true, 12},
                                                 {"Two", true, 2},
                                                 {"Minus", true, -1},
                                                 {"Zero", true, 0},
                                                 {"Text", false, 0},
                                                 {"Absent", false, 0},
                                                 {"Binary", false, 0},
                                                 {"Short", false, 0},
                                                 {"BigEndian", false, 0},
                                                 {"Empty", false, 0}}) {
        i = 99;
        EXPECT_EQ(reg.ReadInteger(c.name, i), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(i, c.value) << c.name;
        }
        EXPECT_EQ(reg.ReadBool(c.name, b), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(b, c.value != 0) << c.name;
        }
    }
    struct Text {
        const char* name;
        bool ok;
        QString value;
    };
    for (const Text& c : std::vector<Text>{{"Text", true, "12"},
                                           {"Empty", true, ""},
                                           {"SizeZero", true, ""},
                                           {"Absent", true, ""},
                                           {"Expand", true, "%HOME%"},
                                           {"Nul", true, "a"},
                                           {"Dword", false, ""},
                                           {"Binary", false, ""},
                                           {"Multi", false, ""}}) {
        s = QStringLiteral("unchanged");
        EXPECT_EQ(reg.ReadString(c.name, s), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(s, c.value) << c.name;
        }
    }
}

TEST_F(UserStoreTest, KeysOpenByPathCreateDeleteAndKnowTheirSubkeys)
{
    Put(Head + "[HKEY_CURRENT_USER\\Software\\Other\\Deep]\n\"A\"=dword:00000001\n\n"
               "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n\"WheelScrollLines\"=\"3\"\n");
    TRegistry reg(file);
    // Keys without a section of their own exist through the keys below them.
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\Software")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\SOFTWARE\\other")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software\\Oth")));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri"), false));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\\\Other"), true)) << "an empty name";
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\a\nb"), true)) << "a line break";

    QString v;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Control Panel\\desktop"), false));
    EXPECT_TRUE(reg.ReadString(QStringLiteral("WheelScrollLines"), v));
    EXPECT_EQ(v, "3");
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Control Panel\\desktop"));
    EXPECT_FALSE(reg.HasSubKeys());

    // A relative path goes below the open key; a trailing separator changes nothing.
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\"), false));
    EXPECT_TRUE(reg.HasSubKeys());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Other"), false));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Software\\Other"));
    EXPECT_TRUE(reg.HasSubKeys());
    int32_t a = 0;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Deep"), false));
    EXPECT_TRUE(reg.ReadInteger(QStringLiteral("a"), a));
    EXPECT_EQ(a, 1);
    reg.CloseKey();
    EXPECT_TRUE(reg.CurrentPath().isNull());

    // Deleting takes the subkeys along and closes a key inside them.
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Other\\Deep"), false));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\software\\OTHER")));
    EXPECT_TRUE(reg.CurrentPath().isNull());
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software\\Other\\Deep")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\Software\\Other"))) << "gone already";
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\"))) << "the root stays";
    ASSERT_TRUE(reg.Save());
    EXPECT_EQ(Get(), Head + "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n\"WheelScrollLines\"=\"3\"\n");

    // Creating makes a section for each missing ancestor, not for one that exists already.
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Control Panel\\desktop\\a\\b"), true));
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("x"), 5));
    ASSERT_TRUE(reg.Save());
    EXPECT_EQ(Get(), Head + "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n\"WheelScrollLines\"=\"3\"\n\n"
                            "[HKEY_CURRENT_USER\\Control Panel\\desktop\\a]\n\n"
                            "[HKEY_CURRENT_USER\\Control Panel\\desktop\\a\\b]\n\"x\"=dword:00000005\n\n");
}

TEST_F(UserStoreTest, SavingKeepsEveryOtherKeyValueAndCommentByteForByte)
{
    // Other programs' keys in the forms exports take (and some they do not write but accept):
    // comments, upper-case hex, wrapped lists, odd types, blank lines, Windows line ends inside.
    const QByteArray before = "\xEF\xBB\xBF" + Head +
                              "; kept by hand\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Another Maker\\Tool]\n"
                              "\"Path\"=hex(2):43,00,3A,00,5C,00,\\\n"
                              "  00,00\n"
                              "\"Flags\"=dword:DEADBEEF\n"
                              ";  a comment among values\n"
                              "@=\"default\"   \n"
                              "\"List\"=hex(7):61,00,00,00,00,00\n"
                              "\n\n\n";
    const QByteArray mine = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n"
                            "\"FontSize\"=dword:00000009\n"
                            "; the user's own note\n"
                            "\"Old\"=\"stays\"\n\n";
    const QByteArray after = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Viewer2]\n"
                             "\"X\"=hex:00,ff\n\n"
                             "[HKEY_CURRENT_USER\\Control Panel\\desktop]\r\n"
                             "\"WheelScrollLines\"=\"3\"\r\n";
    Put(before + mine + after);
    TRegistry reg(file);
    ASSERT_EQ(reg.LoadState(), TLoadState::Loaded);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("FontSize"), 9));     // as stored: its line stays
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("fontcolor"), 255));  // new: after the last value
    ASSERT_TRUE(reg.Save());
    EXPECT_EQ(Get(), before +
                         "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n"
                         "\"FontSize\"=dword:00000009\n"
                         "; the user's own note\n"
                         "\"Old\"=\"stays\"\n"
                         "\"fontcolor\"=dword:000000ff\n\n" +
                         after);

    // A changed value replaces its own line only; a deleted key leaves its neighbours as they were.
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("FONTSIZE"), 10));
    ASSERT_TRUE(reg.DeleteKey(QStringLiteral("\\Software\\Q.Tabiri\\Viewer2")));
    ASSERT_TRUE(reg.Save());
    QByteArray expected = before + mine + after;
    expected.replace("\"FontSize\"=dword:00000009\n", "\"FontSize\"=dword:0000000a\n");
    expected.replace("\"Old\"=\"stays\"\n", "\"Old\"=\"stays\"\n\"fontcolor\"=dword:000000ff\n");
    expected.replace("[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Viewer2]\n\"X\"=hex:00,ff\n\n", "");
    EXPECT_EQ(Get(), expected);
}

TEST_F(UserStoreTest, NewKeysJoinTheirFamilyAndFollowTheFilesLineEnds)
{
    struct Case {
        const char* name;
        QByteArray file, expected;
    };
    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]";
    const std::vector<Case> cases = {
        {"an empty file gets its header", "",
         Head + "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\n" + key +
             "\n\"V\"=dword:00000001\n\n"},
        {"after the last key under Software, before other roots",
         Head + "[HKEY_CURRENT_USER\\Software\\A]\n\n[HKEY_CURRENT_USER\\Software\\A\\B]\n\"x\"=\"1\"\n\n"
                "[HKEY_CURRENT_USER\\Control Panel]\n",
         Head +
             "[HKEY_CURRENT_USER\\Software\\A]\n\n[HKEY_CURRENT_USER\\Software\\A\\B]\n\"x\"=\"1\"\n\n"
             "[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\n" +
             key + "\n\"V\"=dword:00000001\n\n[HKEY_CURRENT_USER\\Control Panel]\n"},
        {"a last line without its line end", Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\"x\"=dword:00000002",
         Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\"x\"=dword:00000002\n\n" + key +
             "\n\"V\"=dword:00000001\n\n"},
        {"a value added to a last key without its line end", Head + key + "\n\"x\"=dword:00000002",
         Head + key + "\n\"x\"=dword:00000002\n\"V\"=dword:00000001\n"},
        {"Windows line ends", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\r\n",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\r\n\r\n" + key +
             "\r\n\"V\"=dword:00000001\r\n\r\n"},
    };
    for (const Case& c : cases) {
        TRegDocument doc;
        ASSERT_TRUE(doc.Parse(c.file)) << c.name;
        ASSERT_TRUE(doc.SetValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko"), QStringLiteral("V"),
                                 TRegValue::Dword(1)));
        EXPECT_EQ(doc.Serialize(), c.expected) << c.name;
        EXPECT_EQ(CheckStoreOracle(c.file), "") << c.name;
    }
}

TEST_F(UserStoreTest, AnUnparseableFileReadsAsNoKeysAndIsKeptBesideTheFirstSave)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) binary += char(QRandomGenerator(7 + i).bounded(256));
    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n";
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {"binary", binary},
        {"a NUL byte", Head + key + QByteArray("\"FontSize\"=dword:00000009\0\n", 28)},
        {"a 10 MB line", Head + key + QByteArray(10 << 20, 'A') + "\n"},
        {"an unterminated text", Head + key + "\"FontName\"=\"ＭＳ ゴシック\n\"FontSize\"=dword:00000009\n"},
        {"an unterminated name", Head + key + "\"FontName=\"x\"\n"},
        {"a key twice", Head + key + "\"A\"=dword:00000001\n\n[hkey_current_user\\software\\q.tabiri\\TAVUKO]\n"},
        {"a value twice", Head + key + "\"FontSize\"=dword:00000009\n\"fontsize\"=dword:0000000a\n"},
        {"no header", key + "\"FontSize\"=dword:00000009\n"},
        {"the old header", "REGEDIT4\n\n" + key},
        {"UTF-16", QByteArray("\xFF\xFEW\0i\0n\0", 8)},
        {"bytes that are no UTF-8", Head + key + "\"FontName\"=\"\x82\xa0\"\n"},
        {"a value outside any key", Head + "\"FontSize\"=dword:00000009\n" + key},
        {"a deleted value", Head + key + "\"FontSize\"=-\n"},
        {"a deleted key", Head + "[-HKEY_CURRENT_USER\\Software\\x]\n" + key},
        {"an empty key name", Head + "[HKEY_CURRENT_USER\\\\Software]\n"},
        {"nine dword digits", Head + key + "\"A\"=dword:000000001\n"},
        {"no dword digits", Head + key + "\"A\"=dword:\n"},
        {"bad hex", Head + key + "\"A\"=hex:0g\n"},
        {"three hex digits", Head + key + "\"A\"=hex:123\n"},
        {"a comma that ends the list", Head + key + "\"A\"=hex:01,\n"},
        {"a continuation into the end", Head + key + "\"A\"=hex:01,\\\n"},
        {"text after the text", Head + key + "\"A\"=\"x\"y\n"},
        {"a stray line", Head + key + "FontSize=9\n"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        Put(c.bytes);
        QFile::remove(file + ".bad");
        TRegistry reg(file);
        EXPECT_EQ(reg.LoadState(), TLoadState::Unparseable) << c.name;
        EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false)) << c.name;
        EXPECT_EQ(CheckStoreOracle(c.bytes), "") << c.name;
        // Reading alone changes nothing on disk.
        EXPECT_FALSE(QFile::exists(file + ".bad")) << c.name;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
        ASSERT_TRUE(reg.WriteInteger(QStringLiteral("FontSize"), 9));
        ASSERT_TRUE(reg.Save()) << c.name;
        EXPECT_TRUE(Get(file + ".bad") == c.bytes) << c.name;
        EXPECT_EQ(Get(), Head + "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\n" + key +
                             "\"FontSize\"=dword:00000009\n\n")
            << c.name;
    }
    // A second bad file does not take the place of the first one kept.
    Put("garbage 2");
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software"), true));
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("x"), 1));
    ASSERT_TRUE(reg.Save());
    EXPECT_EQ(Get(file + ".bad"), cases.back().bytes);
    EXPECT_EQ(Get(file + ".bad.1"), "garbage 2");
}

TEST_F(UserStoreTest, AFileThatCannotBeReadIsNeverReplaced)
{
    ASSERT_TRUE(QDir().mkpath(file));  // a directory where the file should be
    TRegistry reg(file);
    EXPECT_EQ(reg.LoadState(), TLoadState::Unreadable);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("FontSize"), 9));
    EXPECT_FALSE(reg.Save());
    EXPECT_TRUE(reg.Modified());
    EXPECT_TRUE(QFileInfo(file).isDir());

    // A folder that cannot be made fails the save too.
    Put("x", dir.filePath(QStringLiteral("plain")));
    TRegistry blocked(dir.filePath(QStringLiteral("plain/tavuko/user.reg")));
    ASSERT_TRUE(blocked.OpenKey(QStringLiteral("\\Software"), true));
    ASSERT_TRUE(blocked.WriteInteger(QStringLiteral("x"), 1));
    EXPECT_FALSE(blocked.Save());
}

TEST_F(UserStoreTest, ASaveRemovesOnlyItsOwnLeftoversBesideTheStore)
{
    Put(Head);
    // The user's own files, some named as a temporary file of another program would be.
    const QStringList own = {"user.reg.backup",
                             "user.reg.2024ok",
                             "user.reg.ABC123",
                             "user.reg.old",
                             "user.reg.~tavuko-save~",
                             "user.reg.~tavuko-save~abc",
                             "user.reg.~tavuko-save~abcdefg",
                             "x.user.reg.~tavuko-save~abcdef",
                             ".user.reg.abcdef"};
    for (const QString& name : own) Put(name.toUtf8(), dir.filePath(QStringLiteral("tavuko/") + name));
    // What saves killed before their rename left.
    const QStringList leftovers = {"user.reg.~tavuko-save~Ab3dE9", "user.reg.~tavuko-save~000000"};
    for (const QString& name : leftovers) Put("partial", dir.filePath(QStringLiteral("tavuko/") + name));

    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
    ASSERT_TRUE(reg.WriteInteger(QStringLiteral("FontSize"), 9));
    ASSERT_TRUE(reg.Save());
    for (const QString& name : own)
        EXPECT_EQ(Get(dir.filePath(QStringLiteral("tavuko/") + name)), name.toUtf8()) << name.toStdString();
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("tavuko/") + name))) << name.toStdString();
}

TEST_F(UserStoreTest, ALinkAtTheStoreIsWrittenThroughAndOneAtTheLockIsNotFollowed)
{
    const auto save = [&](int size) {
        TRegistry reg(file);
        return reg.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true) &&
               reg.WriteInteger(QStringLiteral("FontSize"), size) && reg.Save();
    };
    // A dotfile manager's link: its target gets the new text, with its permissions, and the link stays.
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("dotfiles"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("tavuko"))));
    const QString target = dir.filePath(QStringLiteral("dotfiles/user.reg"));
    Put(Head, target);
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link(target, file));
    ASSERT_TRUE(save(9));
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_TRUE(Get(target).contains("\"FontSize\"=dword:00000009"));
    const QFile::Permissions notUser = QFile::Permissions(0x7077);  // owner, group and others
    EXPECT_EQ(QFile::permissions(target) & notUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("dotfiles"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{"user.reg"});
    // A link whose target is not there yet: the target is made.
    QFile::remove(target);
    ASSERT_TRUE(save(10));
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_TRUE(Get(target).contains("\"FontSize\"=dword:0000000a"));

    // A link planted at the lock: no file is made where it leads, and the save fails.
    QFile::remove(file);
    QFile::remove(file + QStringLiteral(".lock"));
    Put(Head);
    const QString planted = dir.filePath(QStringLiteral("dotfiles/planted"));
    ASSERT_TRUE(QFile::link(planted, file + QStringLiteral(".lock")));
    EXPECT_FALSE(save(11));
    EXPECT_FALSE(QFileInfo::exists(planted));
    EXPECT_EQ(Get(), Head);
}

TEST_F(UserStoreTest, ASaveMergesIntoWhatAnotherProgramSavedMeanwhile)
{
    TRegistry mine(file), theirs(file);
    ASSERT_TRUE(mine.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), true));
    ASSERT_TRUE(mine.WriteInteger(QStringLiteral("FontSize"), 9));
    ASSERT_TRUE(theirs.OpenKey(QStringLiteral("\\Software\\Someone"), true));
    ASSERT_TRUE(theirs.WriteString(QStringLiteral("Name"), QStringLiteral("theirs")));
    ASSERT_TRUE(theirs.Save());
    ASSERT_TRUE(mine.Save());
    TRegistry both(file);
    QString name;
    int32_t size = 0;
    ASSERT_TRUE(both.OpenKey(QStringLiteral("\\Software\\Someone"), false));
    EXPECT_TRUE(both.ReadString(QStringLiteral("Name"), name));
    ASSERT_TRUE(both.OpenKey(QStringLiteral("\\Software\\Q.Tabiri\\Tavuko"), false));
    EXPECT_TRUE(both.ReadInteger(QStringLiteral("FontSize"), size));
    EXPECT_EQ(name, "theirs");
    EXPECT_EQ(size, 9);
}

TEST_F(UserStoreTest, AcceptedFilesHoldTheOraclesRules)
{
    const std::vector<QByteArray> files = {
        "",
        Head,
        Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n\"Number\"=dword:00000001\n",
        Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko\\Sub]\n",
        Head + "; c\n[HKEY_LOCAL_MACHINE\\X]\n@=hex(0):\n[HKEY_CURRENT_USER]\n\"a\"=hex:1,2 , 3\n",
        "Windows Registry Editor Version 5.00",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Ä\\ß]\r\n\"Ö\"=\"ü\"",
    };
    for (const QByteArray& f : files) EXPECT_EQ(CheckStoreOracle(f), "") << f.toStdString();
}

// ---- other processes ----

QProcess* StartSaver(const QString& file, int tag, int count, QObject* parent)
{
    auto* p = new QProcess(parent);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(QStringLiteral(STORE_SAVER), {file, QString::number(tag), QString::number(count)});
    return p;
}

TEST_F(UserStoreTest, TwoProcessesSaving200TimesEachLeaveOneCompleteSet)
{
    const QByteArray other = Head + "[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n\n";
    Put(other);
    QObject owner;
    QProcess* a = StartSaver(file, 1, 200, &owner);
    QProcess* b = StartSaver(file, 2, 200, &owner);
    ASSERT_TRUE(a->waitForStarted(5000));
    ASSERT_TRUE(b->waitForStarted(5000));
    // Every read while they save finds the file whole: one save's complete set, the other key.
    int reads = 0, incomplete = 0;
    while (a->state() != QProcess::NotRunning || b->state() != QProcess::NotRunning) {
        const QByteArray now = Get();
        if (!now.startsWith(other)) ++incomplete;
        TRegDocument doc;
        if (!doc.Parse(now)) ++incomplete;
        if (now.contains("V00") && !ReadSaverSet(file)) ++incomplete;
        ++reads;
        a->waitForFinished(1);
        b->waitForFinished(1);
    }
    EXPECT_EQ(incomplete, 0) << "of " << reads << " reads";
    EXPECT_EQ(a->exitCode(), 0);
    EXPECT_EQ(b->exitCode(), 0);
    const std::optional<int> stamp = ReadSaverSet(file);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_TRUE(*stamp == 1000199 || *stamp == 2000199) << *stamp;
    EXPECT_TRUE(Get().startsWith(other));
}

TEST_F(UserStoreTest, ASaveKilledAtAnyPointLeavesTheOldFileOrTheNew)
{
    const QByteArray other = Head + "[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n\n";
    Put(other);
    QRandomGenerator random(42);
    int last = -1;
    QObject owner;
    for (int round = 0; round < 30; ++round) {
        QProcess* p = StartSaver(file, round + 1, 1000000, &owner);
        ASSERT_TRUE(p->waitForStarted(5000));
        QThread::usleep(random.bounded(2000, 40000));
        ::kill(pid_t(p->processId()), SIGKILL);
        p->waitForFinished(5000);
        const QByteArray now = Get();
        ASSERT_TRUE(now.startsWith(other)) << "round " << round;
        if (now.contains("V00")) {
            const std::optional<int> stamp = ReadSaverSet(file);
            ASSERT_TRUE(stamp.has_value()) << "round " << round << ": " << now.toStdString();
            EXPECT_GE(*stamp, last);
            last = *stamp;
        }
    }
    // The lock a killed saver left behind does not stop the next one.
    QProcess* p = StartSaver(file, 99, 1, &owner);
    ASSERT_TRUE(p->waitForFinished(10000));
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_EQ(ReadSaverSet(file), 99000000);
    // No temporary file is left: only the store and its lock file.
    const QStringList left = QDir(dir.filePath(QStringLiteral("tavuko"))).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({"user.reg", "user.reg.lock"}));
}

}  // namespace
