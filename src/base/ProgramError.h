#pragma once

#include <stdexcept>

// A failure that reaches the user through the standard error report. what() is UTF-8.
class ProgramError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
