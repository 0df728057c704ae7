#pragma once
// The program's command line: tavuko [OPTION]... [+N] [FILE | -]. Parsed before any window
// exists, so that --help, --version and a mistake answer on the terminal and end at once.
// Standard C++ only: tested without a window system.
#include <optional>
#include <string>
#include <vector>

#include "platform/Charset.h"

struct TProgramArguments {
    enum class TAction { Show, Help, Version, Fail };
    TAction action = TAction::Show;
    // The file to show ("" for none); input: standard input instead of a file.
    std::string file;
    bool input = false;
    std::optional<TCharset> charset;  // --encoding
    bool follow = false;              // --follow
    int line = 0;                     // +N: the file line (from 1) at the top; 0 for none
    // For Fail: what was wrong, one line without the program's name.
    std::string error;
};

// What standard input is: a terminal (or nothing, or a device such as /dev/null, which is what
// a desktop launcher gives), or something that brings a text (a pipe, a FIFO, a file).
enum class TInputKind { Terminal, Text };

// args: the arguments after the program's name. Options may come before or after FILE; "--"
// ends them; a lone "-" is standard input; without FILE, standard input is read when it brings
// a text. Names after the first are ignored.
TProgramArguments ParseProgramArguments(const std::vector<std::string>& args, TInputKind input);

// Whether the messages are to be Japanese, from the locale variables as the C library reads
// them (LC_ALL, then LC_MESSAGES, then LANG; the first that is set and not empty).
bool JapaneseMessages(const char* lcAll, const char* lcMessages, const char* lang);

// The text --help prints, and what a mistake prints on standard error (after the program's
// name), ending in a hint at --help.
std::string UsageText(bool japanese);
std::string FailureText(const std::string& error, bool japanese);
// The text --version prints.
const char* VersionText();
