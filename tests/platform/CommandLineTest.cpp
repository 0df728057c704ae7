// Splitting a parameter template by the Windows rules, and the D-Bus
// names that stand in for DDE services and topics.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/DdeNames.h"

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules)
{
    const std::vector<std::pair<std::string, Args>> cases = {
        {"", {}},
        {" \t  ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  a   b  ", {"a", "b"}},
        {R"("a b" c)", {"a b", "c"}},
        {R"(a"b c"d)", {"ab cd"}},
        {R"("")", {""}},
        {R"(a "" b)", {"a", "", "b"}},
        {R"("unterminated blank)", {"unterminated blank"}},
        // Backslashes are literal unless they stand before a mark.
        {R"(a\b c\\d)", {R"(a\b)", R"(c\\d)"}},
        {R"(a\)", {R"(a\)"}},
        // 2n + 1 before a mark: n and a literal mark; 2n: n and the mark quotes.
        {R"(\"a)", {R"("a)"}},
        {R"(\\\"a)", {R"(\"a)"}},
        {R"(\\"a b")", {R"(\a b)"}},
        {R"("a\\")", {R"(a\)"}},
        {R"("a\" b")", {R"(a" b)"}},
        // "" inside a quoted part is one literal mark, and the part goes on.
        {R"("a""b c")", {R"(a"b c)"}},
        {R"("a""")", {R"(a")"}},
        {std::string("a b\0c d", 7), {"a", "b"}},
        {"\x93\xfa\x96\x7b \"\x8c\xea \x82\xcc\"", {"\x93\xfa\x96\x7b", "\x8c\xea \x82\xcc"}},
        {"-n +5 --", {"-n", "+5", "--"}},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(SplitCommandLine(line), args) << line;
}

TEST(DdeNames, ServiceAndTopicBecomeLowerCasedEscapedBusNames)
{
    const std::vector<std::pair<std::string, std::string>> services = {
        {"tavuko", "dde.tavuko"},          {"TAVUKO", "dde.tavuko"}, {"Den8", "dde.den8"},      {"tv", "dde.tv"},
        {"my-viewer", "dde.my_2dviewer"},  {"a_b", "dde.a_5fb"},     {"9lives", "dde._9lives"}, {"a9", "dde.a9"},
        {"\xe6\x97\xa5", "dde._e6_97_a5"},
    };
    for (const auto& [service, name] : services) EXPECT_EQ(DdeBusName(service), name) << service;
    EXPECT_EQ(DdeObjectPath("system"), "/system");
    EXPECT_EQ(DdeObjectPath("Command"), "/command");
    EXPECT_EQ(DdeObjectPath("Top ic"), "/top_20ic");
}

TEST(DdeNames, TheProgramsServiceIsItsFileNameUpToTheFirstPeriod)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"/usr/bin/tavuko", "tavuko"},
        {"tv.bin", "tv"},
        {"/opt/a.b/tavuko", "tavuko"},
        {"x.tar.gz", "x"},
        {"TAVUKO.EXE", "TAVUKO"},
        {".hidden", ""},
        {"/dir/", ""},
    };
    for (const auto& [file, service] : files) EXPECT_EQ(DdeServiceOfProgram(file), service) << file;
}

}  // namespace
