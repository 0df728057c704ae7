#include "app/EditorParams.h"

#include "platform/CommandLine.h"
#include "settings/Settings.h"

namespace {

std::string ExpandArgument(std::string_view arg, std::string_view fileName, int viewLineStart)
{
    std::string result;
    size_t i = 0;
    while (i < arg.size()) {
        const auto after = [&](std::string_view word) { return arg.substr(i + 1, word.size()) == word; };
        if (arg[i] != '$') {
            result += arg[i];
            i += 1;
        } else if (after("$")) {
            result += '$';
            i += 2;
        } else if (after("file")) {
            result += fileName;
            i += 5;
        } else if (after("line")) {
            result += std::to_string(static_cast<long long>(viewLineStart) + 1);
            i += 5;
        } else {
            i += 1;  // the "$" is dropped
        }
    }
    return result;
}

}  // namespace

std::vector<std::string> ExpandEditorParams(std::string_view templ, std::string_view fileName, int viewLineStart)
{
    std::vector<std::string> args;
    for (const std::string& arg : SplitCommandLine(templ)) {
        std::string expanded = ExpandArgument(arg, fileName, viewLineStart);
        if (!expanded.empty() || arg.empty()) args.push_back(std::move(expanded));
    }
    return args;
}

std::vector<std::string> BuildEditorParams(TSettings& settings, std::string_view fileName, int viewLineStart)
{
    if (settings.EditorParam.isEmpty()) settings.EditorParam = QStringLiteral("$file");
    return ExpandEditorParams(settings.EditorParam.toLocal8Bit().toStdString(), fileName, viewLineStart);
}
