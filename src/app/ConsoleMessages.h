#pragma once

#include "base/UserMessages.h"

#include <QString>

#include <cstdio>

// The user's messages on a terminal, for what the programs do from the command line without a
// window: information goes to `out`, warnings and errors to `errors` after the program's name, as
// a command-line tool's complaints read. Nobody is there to answer a question, so one is printed
// to `errors` and answered No (Cancel when it offers OK).
class ConsoleMessages : public UserMessages {
public:
    ConsoleMessages(const QString& programName, std::FILE* out, std::FILE* errors)
        : m_programName(programName), m_out(out), m_errors(errors)
    {
    }

    MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                           MessageTone tone) override;
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override;

private:
    QString m_programName;
    std::FILE* m_out;
    std::FILE* m_errors;
};
