#pragma once
// A parameter template split into arguments by the Windows rules, so that the templates users
// wrote for Windows editors keep meaning what they meant there.
#include <string>
#include <string_view>
#include <vector>

// The arguments of a command line (without a program name in front): blanks and tabs outside
// double quotation marks separate arguments; 2n backslashes before a quotation mark give n
// backslashes and the mark opens or closes a quoted part; 2n + 1 give n backslashes and a
// literal mark; "" inside a quoted part is a literal mark; other backslashes are literal. The
// string ends at its first NUL byte, as a C string does.
std::vector<std::string> SplitCommandLine(std::string_view line);
