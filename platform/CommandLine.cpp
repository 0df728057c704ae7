#include "platform/CommandLine.h"

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    if (const size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    const auto blank = [&](size_t k) { return line[k] == ' ' || line[k] == '\t'; };
    for (;;) {
        while (i < n && blank(i)) ++i;
        if (i == n) break;
        std::string arg;
        bool quoted = false;
        for (;;) {
            size_t slashes = 0;
            while (i < n && line[i] == '\\') ++slashes, ++i;
            bool literal = true;
            if (i < n && line[i] == '"') {
                if (slashes % 2 == 0) {
                    if (quoted && i + 1 < n && line[i + 1] == '"') ++i;  // "" inside quotes: one mark
                    else {
                        literal = false;
                        quoted = !quoted;
                    }
                }
                slashes /= 2;
            }
            arg.append(slashes, '\\');
            if (i == n || (!quoted && blank(i))) break;
            if (literal) arg += line[i];
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}
