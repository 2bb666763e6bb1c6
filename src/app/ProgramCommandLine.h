#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <optional>

// What a program's command line asks for. It is read before the application object exists, so
// --help and --version answer without a display and without opening a window.
class ProgramCommandLine {
public:
    enum class Program { Instrument, Demo };
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    // How the demo's simulated thermometer and cable behave.
    struct DemoSettings {
        double changePerSecond = 0.1;  // Celsius
        std::optional<std::chrono::milliseconds> unplugAfter;
        std::chrono::milliseconds replugAfter{5000};
    };

    // `arguments` starts with the program's own name, as argv does.
    ProgramCommandLine(Program program, const QStringList& arguments);

    static QStringList argumentsOf(int argc, char** argv);
    static QString programName(Program program);

    Action action() const { return m_action; }
    // The help, the version line, or what was wrong; empty when the program runs.
    const QString& message() const { return m_message; }
    int exitCode() const;
    const DemoSettings& demo() const { return m_demo; }

    // Prints the message, the help and version to `out` and a refusal to `errors`, and returns
    // the exit code.
    int answer(std::FILE* out, std::FILE* errors) const;

private:
    void parse(const QStringList& arguments);
    void refuse(const QString& problem);

    Program m_program;
    Action m_action = Action::Run;
    QString m_message;
    DemoSettings m_demo;
};
