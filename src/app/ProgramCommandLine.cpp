#include "app/ProgramCommandLine.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

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
    parser.addOptions({help, version});
    if (program == Program::Demo)
        parser.addOptions({changeRate, unplugAfter, replugAfter});

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        // Without an application object the parser's usage line names no program.
        const QString options = parser.helpText().section(QLatin1Char('\n'), 1);
        m_action = Action::ShowHelp;
        m_message = QStringLiteral("Usage: %1 [options]\n").arg(programName(program)) + options;
        return;
    }
    if (parser.isSet(version)) {
        m_action = Action::ShowVersion;
        m_message = QStringLiteral("%1 %2\n").arg(programName(program), QStringLiteral(TQ612_VERSION));
        return;
    }
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

int ProgramCommandLine::answer(std::FILE* out, std::FILE* errors) const
{
    std::fputs(m_message.toLocal8Bit().constData(), m_action == Action::Refuse ? errors : out);
    return exitCode();
}

void ProgramCommandLine::refuse(const QString& problem)
{
    m_action = Action::Refuse;
    m_message = QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(programName(m_program), problem);
}
