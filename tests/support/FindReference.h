#pragma once
// The find dialog's own loop, one display line at a time: the line read with Get and cut at its
// first NUL, the line and the text folded (A-Z to a-z, every byte) unless the case must match,
// then a plain substring search. The oracle for the fast search, shared by its test and fuzzer.
#include <string>

#include "model/BvLines.h"

namespace reference {

inline std::string Fold(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 0x20);
    return s;
}

inline bool Holds(const TBvLines& lines, int i, const std::string& text, bool matchCase)
{
    std::string line = lines.Get(i).str();
    line = line.substr(0, line.find('\0'));
    return matchCase ? line.find(text) != std::string::npos : Fold(line).find(Fold(text)) != std::string::npos;
}

inline int FindForward(const TBvLines& lines, const std::string& text, bool matchCase, int from)
{
    for (int i = from < 0 ? 0 : from; i < lines.GetCount(); ++i)
        if (Holds(lines, i, text, matchCase)) return i;
    return -1;
}

inline int FindBackward(const TBvLines& lines, const std::string& text, bool matchCase, int from)
{
    for (int i = from >= lines.GetCount() ? lines.GetCount() - 1 : from; i >= 0; --i)
        if (Holds(lines, i, text, matchCase)) return i;
    return -1;
}

}  // namespace reference
