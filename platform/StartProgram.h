#pragma once
// Starting another program, detached: the viewer neither waits for it nor watches it.
#include <functional>
#include <string>
#include <vector>

// The program's file: a name holding a "/" is a path and taken as it is; any other name is
// looked up in the directories of PATH, as a shell does. "" when it is not found there.
std::string FindProgram(const std::string& name);

// Starts the program with exactly these argument bytes, never through a shell. True when the
// program started, that is, it was found and the system ran it.
bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args);

// How the viewer starts programs; tests put a recorder here.
using TStartProgramFn = std::function<bool(const std::string& program, const std::vector<std::string>& args)>;
