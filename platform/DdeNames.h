#pragma once
// How a conversation's service and topic name the D-Bus peer that stands in for them: service
// S answers on the bus name "dde." + S, topic T is the object path "/" + T. Both are compared
// without case, so both are lower-cased; each byte outside a-z and 0-9 is written _xx in hex
// (so "_" itself is "_5f"), and a leading digit gets a "_" before it.
#include <string>
#include <string_view>

std::string DdeBusName(std::string_view service);
std::string DdeObjectPath(std::string_view topic);

// A program's own service: its file's name without the directory and without everything from
// the first "." on ("/usr/bin/tavuko" → "tavuko", "tv.bin" → "tv").
std::string DdeServiceOfProgram(std::string_view programFile);
