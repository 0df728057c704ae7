#pragma once
// The property the file name must keep in the editor's arguments, shared by the editor tests and
// the editor-parameter fuzzer.
#include <string>
#include <string_view>
#include <vector>

#include "app/EditorParams.h"

// The file name arrives, whatever its bytes, as exactly one argument between the template's
// others, also where the template quotes "$file" itself.
inline bool FileNameArrivesAsOneArgument(std::string_view fileName)
{
    const std::vector<std::string> expected{"-a", std::string(fileName), "-b"};
    for (const char* templ : {"-a $file -b", "-a \"$file\" -b", "-a \"\"$file\"\" -b", "\"-a\" $file \"-b"})
        if (ExpandEditorParams(templ, fileName, 0) != expected) return false;
    return true;
}
