#include "app/ProgramArguments.h"

#include <climits>

namespace {

bool AllDigits(const std::string& s, size_t from)
{
    if (s.size() <= from) return false;
    for (size_t i = from; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// The line of "+N"; 0 when it is no line number of 1 or more. Beyond INT_MAX is the end anyway.
int LineNumber(const std::string& a)
{
    if (!AllDigits(a, 1)) return 0;
    long long n = 0;
    for (size_t i = 1; i < a.size() && n <= INT_MAX; ++i) n = n * 10 + (a[i] - '0');
    return n > INT_MAX ? INT_MAX : int(n);
}

std::string EncodingKeys()
{
    std::string keys;
    for (TCharset c : charset::kAll) keys += std::string(keys.empty() ? "" : ", ") + charset::Key(c);
    return keys;
}

}  // namespace

TProgramArguments ParseProgramArguments(const std::vector<std::string>& args, TInputKind input)
{
    TProgramArguments r;
    bool named = false;   // FILE or "-" given
    bool options = true;  // before "--"
    auto fail = [&r](std::string error) {
        r.action = TProgramArguments::TAction::Fail;
        r.error = std::move(error);
        return r;
    };
    auto name = [&](const std::string& a, bool isInput) {
        if (named) return;  // names after the first are ignored
        named = true;
        r.input = isInput;
        if (!isInput) r.file = a;
    };
    auto encoding = [&](const std::string& key) {
        r.charset = charset::FromKey(key);
        return r.charset.has_value();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a.empty() || a == "-" || (a[0] != '-' && a[0] != '+')) {
            name(a, options && a == "-");
            continue;
        }
        if (a == "--") options = false;
        else if (a == "--help" || a == "-h") r.action = TProgramArguments::TAction::Help;
        else if (a == "--version") r.action = TProgramArguments::TAction::Version;
        else if (a == "--follow") r.follow = true;
        else if (a == "--encoding") {
            if (i + 1 == args.size()) return fail("option --encoding needs a name (" + EncodingKeys() + ")");
            if (!encoding(args[++i])) return fail("unknown encoding " + args[i] + " (" + EncodingKeys() + ")");
        } else if (a.rfind("--encoding=", 0) == 0) {
            if (!encoding(a.substr(11))) return fail("unknown encoding " + a.substr(11) + " (" + EncodingKeys() + ")");
        } else if (a[0] == '+') {
            if (!(r.line = LineNumber(a))) return fail("bad line number " + a);
        } else {
            return fail("unknown option " + a);
        }
    }
    // Help and version win over everything else given with them, as they end the program at once.
    if (r.action != TProgramArguments::TAction::Show) return r;
    if (!named && input == TInputKind::Text) r.input = true;
    return r;
}

bool JapaneseMessages(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* v : {lcAll, lcMessages, lang})
        if (v && *v) return std::string(v).rfind("ja", 0) == 0;
    return false;
}

std::string UsageText(bool japanese)
{
    const std::string keys = EncodingKeys();
    // clang-format off
    if (japanese)
        return "使い方: tavuko [オプション]... [+N] [ファイル | -]\n"
               "テキストファイルを表示します。ファイルが - のとき、またはファイルを指定せず標準入力が\n"
               "端末でないときは、標準入力を終わりまで読んで表示します。\n"
               "\n"
               "  +N                 ファイルの N 行目を先頭にして表示する\n"
               "  --encoding 名前    文字コードを指定して読む (" + keys + ")\n"
               "  --follow           末尾を追跡する (ファイルに追加された行を表示し続ける)\n"
               "  --                 これ以降をオプションとみなさない (- で始まる名前のファイル)\n"
               "  -h, --help         この説明を表示して終了する\n"
               "  --version          バージョンを表示して終了する\n"
               "\n"
               "終了ステータス: 0 正常、2 コマンドラインの誤り\n";
    return "Usage: tavuko [OPTION]... [+N] [FILE | -]\n"
           "Shows a text file. With FILE -, or without FILE while standard input is not a\n"
           "terminal, standard input is read to its end and shown.\n"
           "\n"
           "  +N                 show the file from its line N\n"
           "  --encoding NAME    read in this encoding (" + keys + ")\n"
           "  --follow           follow the end of the file (show lines appended to it)\n"
           "  --                 end the options (for a file whose name starts with -)\n"
           "  -h, --help         print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: 0 if all went well, 2 for a mistake on the command line.\n";
    // clang-format on
}

std::string FailureText(const std::string& error, bool japanese)
{
    return "tavuko: " + error + "\n" +
           (japanese ? "詳しくは 'tavuko --help' を実行してください。\n"
                     : "Try 'tavuko --help' for more information.\n");
}

const char* VersionText() { return "Tavuko 1.40\n"; }
