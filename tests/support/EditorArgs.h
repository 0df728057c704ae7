#pragma once
// What the editor receives for a template: the parameter string split as its start-up splits
// it. Shared by the editor tests and the editor-parameter fuzzer.
#include <string>
#include <string_view>
#include <vector>

#include "app/EditorParams.h"
#include "platform/CommandLine.h"

inline std::vector<std::string> EditorArgs(std::string_view templ, std::string_view fileName, int viewLineStart = 0)
{
    return SplitCommandLine(ExpandEditorParams(templ, fileName, viewLineStart));
}

// The property the file name must keep: it arrives, whatever its bytes, as exactly one
// argument between the template's others.
inline bool FileNameArrivesAsOneArgument(std::string_view fileName)
{
    return EditorArgs("-a $file -b", fileName) ==
           std::vector<std::string>{"-a", std::string(fileName), "-b"};
}
