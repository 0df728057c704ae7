#include "app/EditorParams.h"

#include "platform/CommandLine.h"
#include "settings/Settings.h"

std::string ExpandEditorParams(std::string_view templ, std::string_view fileName, int viewLineStart)
{
    std::string result;
    size_t i = 0;
    while (i < templ.size()) {
        const auto after = [&](std::string_view word) { return templ.substr(i + 1, word.size()) == word; };
        if (templ[i] != '$') {
            result += templ[i];
            i += 1;
        } else if (after("$")) {
            result += '$';
            i += 2;
        } else if (after("file")) {
            // Quoted with its own marks and backslashes escaped, so that a name like
            // a" --option.txt still reaches the editor as the one argument it is.
            if (!fileName.empty()) result += QuoteCommandLineArg(fileName);
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

std::string BuildEditorParams(TSettings& settings, std::string_view fileName, int viewLineStart)
{
    if (settings.EditorParam.isEmpty()) settings.EditorParam = QStringLiteral("$file");
    return ExpandEditorParams(settings.EditorParam.toLocal8Bit().toStdString(), fileName, viewLineStart);
}
