#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>

class QCommandLineParser;

// What a program's command line asks for. It is read before the application object exists, so
// --help, --version and the journal's --recordings and --export-recording answer without a
// display and without opening a window.
class ProgramCommandLine {
public:
    enum class Program { Instrument, Demo };
    enum class Action { Run, ShowHelp, ShowVersion, Refuse, ListRecordings, ExportRecording };

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
    // Of the help, the version or a refusal; the journal's commands give theirs through answer().
    int exitCode() const;
    const DemoSettings& demo() const { return m_demo; }
    // With ExportRecording: which recording goes to which file.
    int64_t recordingId() const { return m_recordingId; }
    const QString& exportFile() const { return m_exportFile; }

    // Does what the command line asks for instead of running: prints the help or the version to
    // `out` or a refusal to `errors`, or lists or exports the recordings of the journal in
    // `journalFolder`. Returns the exit code.
    int answer(const QString& journalFolder, std::FILE* out, std::FILE* errors) const;

private:
    void parse(const QStringList& arguments);
    void parseJournalCommand(const QCommandLineParser& parser);
    void refuse(const QString& problem);

    Program m_program;
    Action m_action = Action::Run;
    QString m_message;
    DemoSettings m_demo;
    int64_t m_recordingId = 0;
    QString m_exportFile;
};
