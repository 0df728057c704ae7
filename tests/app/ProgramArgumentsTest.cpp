// The command line: what each form of it asks the program to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ProgramArguments.h"

namespace {

using A = TProgramArguments::TAction;
constexpr auto T = TInputKind::Terminal;
constexpr auto P = TInputKind::Text;

struct Case {
    std::vector<std::string> args;
    TInputKind stdinKind;
    A action;
    std::string file;
    bool input;
    int line;
    bool follow;
    std::optional<TCharset> charset;
    std::string error;  // for Fail
};

TEST(ProgramArguments, EachFormOfTheCommandLine)
{
    // clang-format off
    const Case cases[] = {
        // No file: nothing shown from a terminal or a launcher's /dev/null; a pipe is read.
        {{}, T, A::Show, "", false, 0, false, {}, ""},
        {{}, P, A::Show, "", true, 0, false, {}, ""},
        {{"a.txt"}, T, A::Show, "a.txt", false, 0, false, {}, ""},
        {{"a.txt"}, P, A::Show, "a.txt", false, 0, false, {}, ""},  // a named file wins over a pipe
        {{"-"}, T, A::Show, "", true, 0, false, {}, ""},
        {{"a.txt", "b.txt"}, T, A::Show, "a.txt", false, 0, false, {}, ""},
        // "--" ends the options: a name that starts with a dash, "-" and "+3" are files then.
        {{"--", "-name"}, T, A::Show, "-name", false, 0, false, {}, ""},
        {{"--", "-"}, P, A::Show, "-", false, 0, false, {}, ""},
        {{"--", "+3"}, T, A::Show, "+3", false, 0, false, {}, ""},
        {{"--", "--help"}, T, A::Show, "--help", false, 0, false, {}, ""},
        // +N, before or after the file; the last one counts.
        {{"+25", "a.txt"}, T, A::Show, "a.txt", false, 25, false, {}, ""},
        {{"a.txt", "+7"}, T, A::Show, "a.txt", false, 7, false, {}, ""},
        {{"+1", "+9", "-"}, T, A::Show, "", true, 9, false, {}, ""},
        {{"+99999999999999", "a"}, T, A::Show, "a", false, 2147483647, false, {}, ""},
        {{"+0", "a"}, T, A::Fail, "", false, 0, false, {}, "bad line number +0"},
        {{"+", "a"}, T, A::Fail, "", false, 0, false, {}, "bad line number +"},
        {{"+3x", "a"}, T, A::Fail, "", false, 0, false, {}, "bad line number +3x"},
        {{"+-3", "a"}, T, A::Fail, "", false, 0, false, {}, "bad line number +-3"},
        // Encodings by the names of their keys, in either case and either form.
        {{"--encoding", "euc-jp", "a"}, T, A::Show, "a", false, 0, false, TCharset::EucJp, ""},
        {{"--encoding=UTF-16LE", "a"}, T, A::Show, "a", false, 0, false, TCharset::Utf16Le, ""},
        {{"--encoding", "cp932", "-"}, P, A::Show, "", true, 0, false, TCharset::Cp932, ""},
        {{"--encoding", "latin1", "a"}, T, A::Fail, "", false, 0, false, {},
         "unknown encoding latin1 (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be)"},
        {{"--encoding=", "a"}, T, A::Fail, "", false, 0, false, {},
         "unknown encoding  (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be)"},
        {{"a", "--encoding"}, T, A::Fail, "", false, 0, false, {},
         "option --encoding needs a name (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be)"},
        // The name after --encoding is its value even when it looks like an option.
        {{"--encoding", "--follow"}, T, A::Fail, "", false, 0, false, {},
         "unknown encoding --follow (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be)"},
        {{"--follow", "/var/log/syslog"}, T, A::Show, "/var/log/syslog", false, 0, true, {}, ""},
        // Help and version end the program whatever else is given, except a mistake before them.
        {{"--help"}, P, A::Help, "", false, 0, false, {}, ""},
        {{"a", "-h"}, T, A::Help, "a", false, 0, false, {}, ""},
        {{"--version", "a"}, T, A::Version, "a", false, 0, false, {}, ""},
        {{"-x", "--help"}, T, A::Fail, "", false, 0, false, {}, "unknown option -x"},
        // Qt's own options are no options of this program.
        {{"-display", ":0", "a"}, T, A::Fail, "", false, 0, false, {}, "unknown option -display"},
        {{"-reverse"}, T, A::Fail, "", false, 0, false, {}, "unknown option -reverse"},
        {{"--style=fusion"}, T, A::Fail, "", false, 0, false, {}, "unknown option --style=fusion"},
        {{"--"}, P, A::Show, "", true, 0, false, {}, ""},
        {{""}, T, A::Show, "", false, 0, false, {}, ""},  // an empty name names nothing
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += "[" + a + "]";
        SCOPED_TRACE(shown + (c.stdinKind == P ? " from a pipe" : " from a terminal"));
        const TProgramArguments r = ParseProgramArguments(c.args, c.stdinKind);
        EXPECT_EQ(r.action, c.action);
        EXPECT_EQ(r.error, c.error);
        if (c.action != A::Show) continue;
        EXPECT_EQ(r.file, c.file);
        EXPECT_EQ(r.input, c.input);
        EXPECT_EQ(r.line, c.line);
        EXPECT_EQ(r.follow, c.follow);
        EXPECT_EQ(r.charset, c.charset);
    }
}

TEST(ProgramArguments, TheMessagesLanguageFollowsTheFirstLocaleVariableSet)
{
    struct {
        const char *all, *messages, *lang;
        bool japanese;
    } cases[] = {
        {nullptr, nullptr, nullptr, false},
        {nullptr, nullptr, "ja_JP.UTF-8", true},
        {nullptr, nullptr, "C.UTF-8", false},
        {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", false},
        {"ja_JP.eucJP", "en_US.UTF-8", "C", true},
        {"", "ja", "en_GB.UTF-8", true},  // an empty variable counts as unset
        {"C", "ja_JP.UTF-8", nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JapaneseMessages(c.all, c.messages, c.lang), c.japanese)
            << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " " << (c.lang ? c.lang : "-");
}

TEST(ProgramArguments, UsageNamesEveryOptionAndAMistakeEndsInAHint)
{
    for (bool japanese : {false, true}) {
        const std::string usage = UsageText(japanese);
        for (const char* o : {"tavuko [", "+N", "--encoding", "utf-16be", "--follow", "--help", "--version", "| -]"})
            EXPECT_NE(usage.find(o), std::string::npos) << o << " japanese=" << japanese;
        const std::string failure = FailureText("unknown option -x", japanese);
        EXPECT_EQ(failure.rfind("tavuko: unknown option -x\n", 0), 0u);
        EXPECT_NE(failure.find("tavuko --help"), std::string::npos);
    }
    EXPECT_NE(UsageText(true).find("使い方"), std::string::npos);
    EXPECT_EQ(UsageText(false).rfind("Usage: ", 0), 0u);
    EXPECT_STREQ(VersionText(), "Tavuko 1.40\n");
}

}  // namespace
