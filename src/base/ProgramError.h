#pragma once

#include <QString>

#include <stdexcept>
#include <string>

// A failure that reaches the user through the standard error report. The message is UTF-8 and
// is kept with its length: it may quote what the user typed or a file held, NUL bytes
// included, and what() would end at the first of them.
class ProgramError : public std::runtime_error {
public:
    explicit ProgramError(const std::string& message) : std::runtime_error(message), m_message(message) {}
    explicit ProgramError(const char* message) : ProgramError(std::string(message)) {}

    const std::string& message() const { return m_message; }

private:
    std::string m_message;
};

// The text of any failure for the user: a ProgramError's whole message, else what().
inline QString failureText(const std::exception& error)
{
    if (const auto* programError = dynamic_cast<const ProgramError*>(&error))
        return QString::fromUtf8(programError->message().data(), qsizetype(programError->message().size()));
    return QString::fromUtf8(error.what());
}
