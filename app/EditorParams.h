#pragma once
// The external editor's parameter string, expanded from the "EditorParam" template.
#include <string>
#include <string_view>

struct TSettings;

// The template walked byte by byte: "$$" gives "$"; "$file" the file name quoted as one
// command-line argument (nothing when no file is shown); "$line" the decimal number
// viewLineStart + 1; a "$" before anything else, or last, is dropped.
std::string ExpandEditorParams(std::string_view templ, std::string_view fileName, int viewLineStart);

// The parameter string for the settings' template; an empty template first becomes "$file"
// in the settings themselves, so that this is what is saved.
std::string BuildEditorParams(TSettings& settings, std::string_view fileName, int viewLineStart);
