#include "app/ProgramCommandLine.h"

#include <gtest/gtest.h>

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
