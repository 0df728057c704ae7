#pragma once
// The file loader's line rule, written as plainly as possible, for the tests and the fuzzer to
// hold the loader against: the text ends at the first 0x1A; a text with any CR is split at CR
// and CR LF (a lone LF stays in its line), a text without one at LF; a last line without a line
// end is a line, a line end at the very end adds no empty line.
#include <string>
#include <vector>

inline std::vector<std::string> FileLines(const std::string& bytes)
{
    const std::string text = bytes.substr(0, bytes.find('\x1A'));
    const char end = text.find('\r') != std::string::npos ? '\r' : '\n';
    std::vector<std::string> lines;
    size_t p = 0;
    while (p < text.size()) {
        const size_t q = text.find(end, p);
        if (q == std::string::npos) {
            lines.push_back(text.substr(p));
            break;
        }
        lines.push_back(text.substr(p, q - p));
        p = q + 1;
        if (end == '\r' && p < text.size() && text[p] == '\n') ++p;
    }
    return lines;
}

// The kinds of line end FileLines splits the bytes at: 0 none, 1 CR LF, 2 LF, 3 CR, 4 mixed (the
// order of TBvLineEnds).
inline int FileLineEnds(const std::string& bytes)
{
    const std::string text = bytes.substr(0, bytes.find('\x1A'));
    const bool cr = text.find('\r') != std::string::npos;
    int seen = 0;
    for (size_t p = 0; p < text.size(); ++p) {
        int kind = 0;
        if (text[p] == '\r') kind = p + 1 < text.size() && text[p + 1] == '\n' ? (++p, 1) : 3;
        else if (text[p] == '\n' && !cr) kind = 2;
        if (kind == 0) continue;
        if (seen == 0) seen = kind;
        else if (seen != kind) return 4;
    }
    return seen;
}
