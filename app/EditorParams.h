#pragma once
// The external editor's arguments, expanded from the "EditorParam" template.
#include <string>
#include <string_view>
#include <vector>

struct TSettings;

// The template is split into arguments as a Windows command line is (SplitCommandLine) first;
// then each argument is walked byte by byte: "$$" gives "$"; "$file" the file name (nothing when
// no file is shown); "$line" the decimal number viewLineStart + 1; a "$" before anything else, or
// last, is dropped. So the file's name lies inside exactly one argument, whatever quotes the
// template or the name hold. An argument that only these replacements made empty is left out,
// as the empty text it stood for would be.
std::vector<std::string> ExpandEditorParams(std::string_view templ, std::string_view fileName, int viewLineStart);

// The arguments for the settings' template; an empty template first becomes "$file" in the
// settings themselves, so that this is what is saved.
std::vector<std::string> BuildEditorParams(TSettings& settings, std::string_view fileName, int viewLineStart);
