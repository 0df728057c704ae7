// Editor templates and file names: any template expands and splits without fault, and any file
// name (bytes up to a NUL, which no file name holds) reaches the editor as one argument.
#include <string_view>

#include "FuzzCommon.h"
#include "support/EditorArgs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first NUL, if any, parts the template from the file name.
    const size_t nul = input.find('\0');
    const std::string_view templ = input.substr(0, nul);
    std::string_view name = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    name = name.substr(0, name.find('\0'));
    const int line = size ? int(data[0]) * 1000003 : 0;
    ExpandEditorParams(templ, name, line);
    if (!name.empty()) FUZZ_CHECK(FileNameArrivesAsOneArgument(name));
    return 0;
}
