#pragma once
// A plain second reading of an open request, for the parser's tests and fuzzer: the lines as
// the text's own line splitter would give them, then the marks counted one by one.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline std::optional<std::string> OpenRequestOracle(std::string_view request)
{
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (size_t i = 0; i < request.size() && request[i] != '\0'; ++i) {
        const char c = request[i];
        pending = true;
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (c == '\r' && i + 1 < request.size() && request[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (pending) lines.push_back(line);
    if (lines.empty()) return std::nullopt;
    int first = 0, last = 0;  // 1-based positions, 0 for none
    for (size_t i = 0; i < lines[0].size(); ++i)
        if (lines[0][i] == '"') {
            if (!first) first = int(i) + 1;
            last = int(i) + 1;
        }
    const int count = last - first - 1;
    if (count <= 0) return std::string();
    return lines[0].substr(size_t(first), size_t(count));
}
