#include "app/ProgramCommandLine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace std::chrono_literals;
using Action = ProgramCommandLine::Action;
using Program = ProgramCommandLine::Program;

namespace {

struct CommandLineCase {
    const char* what;
    Program program;
    QStringList arguments;  // after the program's name
    Action action;
    QString messageHas;     // empty: no message
};

ProgramCommandLine parsed(Program program, const QStringList& arguments)
{
    return ProgramCommandLine(program, QStringList{ProgramCommandLine::programName(program)} + arguments);
}

}  // namespace

TEST(ProgramCommandLine, AnswersHelpAndVersionAndRefusesWhatItDoesNotKnow)
{
    const CommandLineCase cases[] = {
        {"no options", Program::Instrument, {}, Action::Run, {}},
        {"help", Program::Instrument, {"--help"}, Action::ShowHelp, "Usage: tq612 [options]\n"},
        {"short help", Program::Demo, {"-h"}, Action::ShowHelp, "Usage: tq612-demo [options]\n"},
        {"help wins over a bad value", Program::Demo, {"--change-rate", "x", "--help"}, Action::ShowHelp, "--unplug-after <seconds>"},
        {"version", Program::Instrument, {"--version"}, Action::ShowVersion, "tq612 " TQ612_VERSION "\n"},
        {"short version", Program::Demo, {"-v"}, Action::ShowVersion, "tq612-demo " TQ612_VERSION "\n"},
        {"the version states the terms", Program::Instrument, {"--version"}, Action::ShowVersion, "License GPL-3.0-or-later"},
        {"unknown option", Program::Instrument, {"--frobnicate"}, Action::Refuse, "Unknown option 'frobnicate'"},
        {"the demo's options are the demo's", Program::Instrument, {"--change-rate", "1"}, Action::Refuse, "Unknown option 'change-rate'"},
        {"a stray argument", Program::Instrument, {"table.xml"}, Action::Refuse, "Unexpected argument 'table.xml'"},
        {"missing value", Program::Demo, {"--unplug-after"}, Action::Refuse, "Missing value after '--unplug-after'"},
        {"rate not a number", Program::Demo, {"--change-rate", "fast"}, Action::Refuse, "not 'fast'"},
        {"rate in a comma locale", Program::Demo, {"--change-rate", "0,5"}, Action::Refuse, "not '0,5'"},
        {"negative rate", Program::Demo, {"--change-rate", "-1"}, Action::Refuse, "from 0 to 100"},
        {"rate not finite", Program::Demo, {"--change-rate", "inf"}, Action::Refuse, "from 0 to 100"},
        {"rate NaN", Program::Demo, {"--change-rate", "nan"}, Action::Refuse, "from 0 to 100"},
        {"unplug at once", Program::Demo, {"--unplug-after", "0"}, Action::Refuse, "above 0"},
        {"unplug after years", Program::Demo, {"--unplug-after", "1e9"}, Action::Refuse, "at most a day"},
        {"replug alone does nothing", Program::Demo, {"--replug-after", "3"}, Action::Refuse, "--replug-after needs --unplug-after"},
        {"replug never", Program::Demo, {"--unplug-after", "3", "--replug-after", "-2"}, Action::Refuse, "not '-2'"},
        {"list recordings", Program::Instrument, {"--recordings"}, Action::ListRecordings, {}},
        {"the demo lists its own", Program::Demo, {"--recordings"}, Action::ListRecordings, {}},
        {"export", Program::Demo, {"--export-recording", "3", "out.csv"}, Action::ExportRecording, {}},
        {"help wins over an export", Program::Instrument, {"--export-recording", "x", "--help"}, Action::ShowHelp, "--recordings"},
        {"export without an id", Program::Instrument, {"--export-recording"}, Action::Refuse, "Missing value after '--export-recording'"},
        {"export without a file", Program::Instrument, {"--export-recording", "3"}, Action::Refuse, "needs the file to write"},
        {"export to an empty name", Program::Instrument, {"--export-recording", "3", ""}, Action::Refuse, "needs the file to write"},
        {"export id not a number", Program::Instrument, {"--export-recording", "three", "a.csv"}, Action::Refuse, "not 'three'"},
        {"export id zero", Program::Instrument, {"--export-recording", "0", "a.csv"}, Action::Refuse, "not '0'"},
        {"export id negative", Program::Instrument, {"--export-recording=-2", "a.csv"}, Action::Refuse, "not '-2'"},
        {"export to two files", Program::Instrument, {"--export-recording", "3", "a.csv", "b.csv"}, Action::Refuse, "Unexpected argument 'b.csv'"},
        {"a file to list into", Program::Instrument, {"--recordings", "a.csv"}, Action::Refuse, "Unexpected argument 'a.csv'"},
        {"list and export at once", Program::Demo, {"--recordings", "--export-recording", "3", "a.csv"}, Action::Refuse, "do not go together"},
        {"a window setting with a listing", Program::Demo, {"--recordings", "--change-rate", "2"}, Action::Refuse, "--change-rate is for the window"},
        {"a window setting with an export", Program::Demo, {"--unplug-after", "1", "--export-recording", "3", "a.csv"}, Action::Refuse, "--unplug-after is for the window"},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramCommandLine commandLine = parsed(c.program, c.arguments);
        EXPECT_EQ(commandLine.action(), c.action);
        if (c.messageHas.isEmpty())
            EXPECT_TRUE(commandLine.message().isEmpty()) << commandLine.message().toStdString();
        else
            EXPECT_TRUE(commandLine.message().contains(c.messageHas)) << commandLine.message().toStdString();
        EXPECT_EQ(commandLine.exitCode(), c.action == Action::Refuse ? 2 : 0);
        if (c.action == Action::Refuse)
            EXPECT_TRUE(commandLine.message().endsWith(
                QStringLiteral("Try '%1 --help'.\n").arg(ProgramCommandLine::programName(c.program))));
    }
}

TEST(ProgramCommandLine, HelpListsEachProgramsOwnOptions)
{
    const QString instrument = parsed(Program::Instrument, {"--help"}).message();
    const QString demo = parsed(Program::Demo, {"--help"}).message();

    EXPECT_FALSE(instrument.contains("<executable_name>")) << instrument.toStdString();
    EXPECT_FALSE(instrument.contains("--help-all")) << "Qt's options need an application object";
    EXPECT_FALSE(instrument.contains("--unplug-after"));
    for (const char* option : {"--help", "--version", "--change-rate <degrees>", "--unplug-after <seconds>",
                               "--replug-after <seconds>"})
        EXPECT_TRUE(demo.contains(option)) << option;
    for (const QString& help : {instrument, demo}) {
        for (const char* option : {"--recordings", "--export-recording <id>", "--export-recording <id> <file>"})
            EXPECT_TRUE(help.contains(option)) << option;
    }
}

TEST(ProgramCommandLine, DemoSettingsTakeDecimalSecondsAndKeepTheirDefaults)
{
    const ProgramCommandLine defaults = parsed(Program::Demo, {});
    EXPECT_EQ(defaults.demo().changePerSecond, 0.1);
    EXPECT_FALSE(defaults.demo().unplugAfter.has_value());

    const ProgramCommandLine unplugOnly = parsed(Program::Demo, {"--unplug-after", "2.5"});
    EXPECT_EQ(unplugOnly.demo().unplugAfter, 2500ms);
    EXPECT_EQ(unplugOnly.demo().replugAfter, 5000ms);

    const ProgramCommandLine all =
        parsed(Program::Demo, {"--change-rate=0", "--unplug-after", "10", "--replug-after", "0.25"});
    EXPECT_EQ(all.action(), Action::Run);
    EXPECT_EQ(all.demo().changePerSecond, 0.0);
    EXPECT_EQ(all.demo().unplugAfter, 10000ms);
    EXPECT_EQ(all.demo().replugAfter, 250ms);
}

TEST(ProgramCommandLine, ExportTakesTheRecordingsIdAndTheFileAfterIt)
{
    const ProgramCommandLine plain = parsed(Program::Instrument, {"--export-recording", "12", "out.csv"});
    EXPECT_EQ(plain.recordingId(), 12);
    EXPECT_EQ(plain.exportFile(), "out.csv");

    // A name that looks like an option comes after "--".
    const ProgramCommandLine odd = parsed(Program::Demo, {"--export-recording=9000000000", "--", "-odd.xml"});
    EXPECT_EQ(odd.action(), Action::ExportRecording);
    EXPECT_EQ(odd.recordingId(), 9000000000);
    EXPECT_EQ(odd.exportFile(), "-odd.xml");
}

// The journal's commands run against the folder the program hands over, with no journal there yet.
TEST(ProgramCommandLine, AnswersTheJournalsCommandsFromTheFolderGiven)
{
    QTemporaryDir top;
    const QString folder = top.filePath("demo");
    for (const QStringList& arguments : {QStringList{"--recordings"}, QStringList{"--export-recording", "1", "a.csv"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        char* text = nullptr;
        size_t size = 0;
        std::FILE* both = open_memstream(&text, &size);
        const int exitCode = parsed(Program::Demo, arguments).answer(folder, both, both);
        std::fclose(both);
        const QString printed = QString::fromUtf8(text, qsizetype(size));
        std::free(text);
        EXPECT_TRUE(printed.contains(folder + "/journal.sqlite")) << printed.toStdString();
        EXPECT_EQ(exitCode, arguments.size() == 1 ? 0 : 1);
    }
}
