#pragma once
// The general exception of the system: document-model range errors and load failures are
// raised as this, with a UTF-8 message fit to show the user.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};
