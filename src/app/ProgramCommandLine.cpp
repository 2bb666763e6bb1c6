#include "app/ProgramCommandLine.h"

#include "app/RecordingCommands.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

// Under the version line, in the form help2man turns into the manual page's copyright section.
const QString kTerms = QStringLiteral(
    "Copyright 2026 the TQ-612 interface program developers.\n"
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n");

constexpr double kMaxChangePerSecond = 100.0;
constexpr double kMaxSeconds = 24 * 60 * 60;

// A number of seconds above zero and at most a day; nullopt when the text is not one.
std::optional<std::chrono::milliseconds> secondsFrom(const QString& text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > kMaxSeconds)
        return std::nullopt;
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

}  // namespace

ProgramCommandLine::ProgramCommandLine(Program program, const QStringList& arguments) : m_program(program)
{
    parse(arguments);
}

void ProgramCommandLine::parse(const QStringList& arguments)
{
    const Program program = m_program;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        program == Program::Demo
            ? QStringLiteral("Tries the TQ-612 interface program with a simulated thermometer and cable plugged in.")
            : QStringLiteral("Shows, records, saves and prints the readings of a TQ-612 thermometer attached "
                             "through its USB interface cable."));
    // Qt's own help option also offers Qt's options, which only an application object knows.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    const QCommandLineOption changeRate(
        QStringLiteral("change-rate"),
        QStringLiteral("How fast the simulated reading wanders around room temperature, in degrees Celsius per "
                       "second (default 0.1; 0 holds it still, at most 100)."),
        QStringLiteral("degrees"));
    const QCommandLineOption unplugAfter(
        QStringLiteral("unplug-after"),
        QStringLiteral("Pulls the simulated cable out this many seconds after the start, to show what the "
                       "program does when the cable goes away."),
        QStringLiteral("seconds"));
    const QCommandLineOption replugAfter(
        QStringLiteral("replug-after"),
        QStringLiteral("With --unplug-after: plugs the cable in again this many seconds after pulling it out "
                       "(default 5)."),
        QStringLiteral("seconds"));
    const QCommandLineOption recordings(
        QStringLiteral("recordings"),
        QStringLiteral("Lists the recordings in the journal, where every recorded reading is kept as it arrives, "
                       "and exits."));
    const QCommandLineOption exportRecording(
        QStringLiteral("export-recording"),
        QStringLiteral("Writes recording <id> of the journal (see --recordings) to <file> and exits: a name ending "
                       "in .csv gets comma-separated values, .xml an XML data packet, any other name a "
                       "tab-separated text report."),
        QStringLiteral("id"));
    parser.addOptions({help, version, recordings, exportRecording});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("With --export-recording: the file to write."),
                                 QStringLiteral("[file]"));
    if (program == Program::Demo)
        parser.addOptions({changeRate, unplugAfter, replugAfter});

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        // Without an application object the parser's usage line names no program.
        const QString options = parser.helpText().section(QLatin1Char('\n'), 1);
        m_action = Action::ShowHelp;
        // "or:" lines are how help2man, which makes the manual pages, knows more usage lines.
        m_message = QStringLiteral("Usage: %1 [options]\n"
                                   "  or:  %1 --recordings\n"
                                   "  or:  %1 --export-recording <id> <file>\n")
                        .arg(programName(program))
                    + options;
        return;
    }
    if (parser.isSet(version)) {
        m_action = Action::ShowVersion;
        m_message = QStringLiteral("%1 %2\n").arg(programName(program), QStringLiteral(TQ612_VERSION)) + kTerms;
        return;
    }
    if (parser.isSet(recordings) || parser.isSet(exportRecording))
        return parseJournalCommand(parser);
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    if (program == Program::Instrument)
        return;

    if (parser.isSet(changeRate)) {
        bool ok = false;
        const double rate = parser.value(changeRate).toDouble(&ok);
        if (!ok || !(rate >= 0) || rate > kMaxChangePerSecond)
            return refuse(QStringLiteral("--change-rate takes degrees per second from 0 to 100, not '%1'.")
                              .arg(parser.value(changeRate)));
        m_demo.changePerSecond = rate;
    }
    if (parser.isSet(unplugAfter)) {
        m_demo.unplugAfter = secondsFrom(parser.value(unplugAfter));
        if (!m_demo.unplugAfter)
            return refuse(QStringLiteral("--unplug-after takes seconds above 0 and at most a day, not '%1'.")
                              .arg(parser.value(unplugAfter)));
    }
    if (parser.isSet(replugAfter)) {
        if (!m_demo.unplugAfter)
            return refuse(QStringLiteral("--replug-after needs --unplug-after."));
        const auto seconds = secondsFrom(parser.value(replugAfter));
        if (!seconds)
            return refuse(QStringLiteral("--replug-after takes seconds above 0 and at most a day, not '%1'.")
                              .arg(parser.value(replugAfter)));
        m_demo.replugAfter = *seconds;
    }
}

void ProgramCommandLine::parseJournalCommand(const QCommandLineParser& parser)
{
    const bool list = parser.isSet(QStringLiteral("recordings"));
    const QString id = parser.value(QStringLiteral("export-recording"));
    const QStringList files = parser.positionalArguments();
    if (list && parser.isSet(QStringLiteral("export-recording")))
        return refuse(QStringLiteral("--recordings and --export-recording do not go together."));
    // Only the window uses the demo's settings; quietly dropping them would hide a mistake.
    if (m_program == Program::Demo) {
        for (const QString& option : {QStringLiteral("change-rate"), QStringLiteral("unplug-after"),
                                      QStringLiteral("replug-after")}) {
            if (parser.isSet(option))
                return refuse(QStringLiteral("--%1 is for the window, which --%2 does not open.")
                                  .arg(option, list ? QStringLiteral("recordings") : QStringLiteral("export-recording")));
        }
    }
    if (list) {
        if (!files.isEmpty())
            return refuse(QStringLiteral("Unexpected argument '%1'.").arg(files.constFirst()));
        m_action = Action::ListRecordings;
        return;
    }
    bool ok = false;
    const qint64 recording = id.toLongLong(&ok);
    if (!ok || recording <= 0)
        return refuse(QStringLiteral("--export-recording takes the id of a recording that --recordings lists, "
                                     "not '%1'.")
                          .arg(id));
    if (files.isEmpty() || files.constFirst().isEmpty())
        return refuse(QStringLiteral("--export-recording needs the file to write: --export-recording <id> <file>."));
    if (files.size() > 1)
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(files.at(1)));
    m_action = Action::ExportRecording;
    m_recordingId = recording;
    m_exportFile = files.constFirst();
}

QStringList ProgramCommandLine::argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString ProgramCommandLine::programName(Program program)
{
    return program == Program::Demo ? QStringLiteral("tq612-demo") : QStringLiteral("tq612");
}

int ProgramCommandLine::exitCode() const
{
    return m_action == Action::Refuse ? 2 : 0;
}

int ProgramCommandLine::answer(const QString& journalFolder, std::FILE* out, std::FILE* errors) const
{
    RecordingCommands journal(programName(m_program), journalFolder, out, errors);
    switch (m_action) {
    case Action::ListRecordings:
        return journal.list();
    case Action::ExportRecording:
        return journal.exportRecording(m_recordingId, m_exportFile);
    default:
        std::fputs(m_message.toLocal8Bit().constData(), m_action == Action::Refuse ? errors : out);
        return exitCode();
    }
}

void ProgramCommandLine::refuse(const QString& problem)
{
    m_action = Action::Refuse;
    m_message = QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(programName(m_program), problem);
}
