#pragma once
// An open request from another program: which file it names.
#include <optional>
#include <string>
#include <string_view>

// The request's text up to its first NUL, its first line (lines end at CR, LF or CR LF), and
// of that the bytes strictly between its first and its last double quotation mark: empty when
// it has fewer than two or only adjacent ones. Whatever stands around them (the command word)
// is not looked at. Nothing at all when the text has no line.
std::optional<std::string> OpenRequestFileName(std::string_view request);
