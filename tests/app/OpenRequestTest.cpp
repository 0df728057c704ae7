// Which file an open request names: the text up to its NUL, its first line, the bytes between
// the first and the last double quotation mark.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "app/OpenRequest.h"
#include "support/OpenRequestOracle.h"

namespace {

using namespace std::string_literals;

TEST(OpenRequest, TheFirstLinesQuotedPartNamesTheFile)
{
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {R"([Open("/path/a b.txt")])", "/path/a b.txt"},
        {R"("/bare/path")", "/bare/path"},
        {R"(Any("/x") trailing words)", "/x"},
        // Three marks: everything between the first and the last.
        {R"([Open("/a"b.txt")])", R"(/a"b.txt)"},
        {R"([Open("")])", ""},
        {R"([Open("x)", ""},
        {"[Open(/x)]", ""},
        {"\"/a\"\r\n\"/b\"", "/a"},
        {"\"/a\"\n\"/b\"", "/a"},
        {"\"/a\"\r\"/b\"", "/a"},
        {"\"/a\rb\"", ""},
        // The name on the second line opens nothing useful.
        {"[Open]\r\n\"/b\"", ""},
        {"\r\n\"/b\"", ""},
        {"\"/a b\"\0\"/c\""s, "/a b"},
        {"\"/a\0b\""s, ""},
        {"\"\xe6\x97\xa5\xe6\x9c\xac.txt\"", "\xe6\x97\xa5\xe6\x9c\xac.txt"},
        // No text, no line: nothing to open.
        {"", std::nullopt},
        {"\0\"/x\""s, std::nullopt},
    };
    for (const auto& [request, name] : cases) {
        EXPECT_EQ(OpenRequestFileName(request), name) << request;
        EXPECT_EQ(OpenRequestOracle(request), name) << request;
    }
}

TEST(OpenRequest, AgreesWithTheOracleOnRandomRequests)
{
    std::mt19937 rng(12);
    const std::string alphabet = "\"\r\n\0ab/ "s;
    for (int i = 0; i < 20000; ++i) {
        std::string request(rng() % 12, ' ');
        for (char& c : request) c = alphabet[rng() % alphabet.size()];
        ASSERT_EQ(OpenRequestFileName(request), OpenRequestOracle(request)) << request;
    }
}

}  // namespace
