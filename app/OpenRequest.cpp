#include "app/OpenRequest.h"

std::optional<std::string> OpenRequestFileName(std::string_view request)
{
    request = request.substr(0, request.find('\0'));
    if (request.empty()) return std::nullopt;
    const std::string_view line = request.substr(0, request.find_first_of("\r\n"));
    const size_t first = line.find('"');
    const size_t last = line.rfind('"');
    if (first == std::string_view::npos || last <= first + 1) return std::string();
    return std::string(line.substr(first + 1, last - first - 1));
}
