// A stand-in editor: writes the arguments it was started with, each followed by a NUL byte, to
// the file named by TAVUKO_FAKE_EDITOR_RECORD, whole or not at all (written aside, then renamed).
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* record = std::getenv("TAVUKO_FAKE_EDITOR_RECORD");
    if (!record) return 2;
    const std::string part = std::string(record) + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i) std::fwrite(argv[i], 1, std::char_traits<char>::length(argv[i]) + 1, f);
    if (std::fclose(f) != 0) return 1;
    return std::rename(part.c_str(), record) == 0 ? 0 : 1;
}
