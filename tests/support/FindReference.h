#pragma once
// Finding a text the plain way, one file line at a time: the line's characters walked from its
// start by the encoding's lengths, its one-byte letters and the text's folded (A-Z to a-z) unless
// the case must match, and a match wherever the text's bytes start on a character and end where
// one ends. The oracle for the fast search, shared by its test and fuzzer.
#include <string>
#include <string_view>
#include <vector>

#include "model/BvEncoding.h"
#include "model/BvFind.h"
#include "model/BvStrings.h"

namespace reference {

// Whether each byte of s, and its end, starts a character.
inline std::vector<bool> Starts(std::string_view s, TBvEncoding enc)
{
    std::vector<bool> at(s.size() + 1, false);
    const auto* b = reinterpret_cast<const uint8_t*>(s.data());
    for (size_t k = 0; k < s.size(); k += enc.CharLen(b + k, s.size() - k)) at[k] = true;
    at[s.size()] = true;
    return at;
}

// s with its letters that are characters of one byte in lower case.
inline std::string Fold(std::string_view s, TBvEncoding enc)
{
    std::string f(s);
    const std::vector<bool> at = Starts(s, enc);
    for (size_t k = 0; k < f.size(); ++k)
        if (at[k] && at[k + 1] && f[k] >= 'A' && f[k] <= 'Z') f[k] = char(f[k] + 0x20);
    return f;
}

// Where text matches in line, in order.
inline std::vector<size_t> Matches(std::string_view line, std::string_view text, bool matchCase, TBvEncoding enc)
{
    std::vector<size_t> found;
    if (text.empty() || text.size() > line.size()) return found;
    const std::vector<bool> at = Starts(line, enc);
    const std::string l = matchCase ? std::string(line) : Fold(line, enc);
    const std::string t = matchCase ? std::string(text) : Fold(text, enc);
    for (size_t k = 0; k + t.size() <= l.size(); ++k)
        if (at[k] && at[k + t.size()] && l.compare(k, t.size(), t) == 0) found.push_back(k);
    return found;
}

// The first match at or after byte pos of file line `line`.
inline TBvMatch FindForward(const TBvStrings& store, std::string_view text, bool matchCase, TBvEncoding enc, int line,
                            size_t pos)
{
    if (line < 0) line = 0, pos = 0;
    for (int i = line; i < store.Count(); ++i)
        for (const size_t k : Matches(store.View(i), text, matchCase, enc))
            if (i > line || k >= pos) return {i, k, text.size()};
    return {};
}

// The last match before byte pos of file line `line`.
inline TBvMatch FindBackward(const TBvStrings& store, std::string_view text, bool matchCase, TBvEncoding enc, int line,
                             size_t pos)
{
    if (line >= store.Count()) line = store.Count() - 1, pos = std::string_view::npos;
    for (int i = line; i >= 0; --i) {
        const std::vector<size_t> m = Matches(store.View(i), text, matchCase, enc);
        for (auto k = m.rbegin(); k != m.rend(); ++k)
            if (i < line || *k < pos) return {i, *k, text.size()};
    }
    return {};
}

}  // namespace reference
