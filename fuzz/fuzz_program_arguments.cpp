// The command line: any arguments give one answer that holds together. A mistake names itself;
// a file to show is one of the arguments, never with standard input as well; after "--" any
// argument is the file's name, byte for byte.
#include <algorithm>
#include <string>
#include <vector>

#include "app/ProgramArguments.h"
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const TInputKind kind = data[0] & 1 ? TInputKind::Text : TInputKind::Terminal;
    std::vector<std::string> args(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back() += char(data[i]);
    }
    const TProgramArguments r = ParseProgramArguments(args, kind);
    using A = TProgramArguments::TAction;
    if (r.action == A::Fail) {
        FUZZ_CHECK(r.error.rfind("unknown option ", 0) == 0 || r.error.rfind("bad line number ", 0) == 0 ||
                   r.error.rfind("unknown encoding ", 0) == 0 || r.error.rfind("option --encoding ", 0) == 0);
    } else {
        FUZZ_CHECK(r.error.empty());
        FUZZ_CHECK(r.line >= 0);
        FUZZ_CHECK(!(r.input && !r.file.empty()));
        FUZZ_CHECK(r.file.empty() || std::find(args.begin(), args.end(), r.file) != args.end());
    }
    if (!args[0].empty()) {
        const TProgramArguments named = ParseProgramArguments({"--", args[0]}, kind);
        FUZZ_CHECK(named.action == A::Show && named.file == args[0] && !named.input);
    }
    return 0;
}
