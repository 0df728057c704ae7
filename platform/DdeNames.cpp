#include "platform/DdeNames.h"

namespace {

std::string Element(std::string_view name)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            if (out.empty() && c <= '9') out += '_';
            out += char(c);
        } else {
            out += '_';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string DdeBusName(std::string_view service) { return "dde." + Element(service); }

std::string DdeObjectPath(std::string_view topic) { return "/" + Element(topic); }

std::string DdeServiceOfProgram(std::string_view programFile)
{
    const size_t slash = programFile.rfind('/');
    std::string_view name = slash == std::string_view::npos ? programFile : programFile.substr(slash + 1);
    return std::string(name.substr(0, name.find('.')));
}
