// The program with a simulated cable and thermometer plugged in before the window first shows,
// for trying it without the instrument.
#include "app/ProgramCommandLine.h"
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "dialogs/ScreenMessages.h"
#include "font/LcdFont.h"
#include "journal/RecordingJournal.h"
#include "sim/SimulatedCableOutage.h"
#include "sim/SimulatedHidBackend.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    const ProgramCommandLine commandLine(ProgramCommandLine::Program::Demo,
                                         ProgramCommandLine::argumentsOf(argc, argv));
    // The demo's readings are kept apart from the instrument's.
    const QString journalFolder = RecordingJournal::defaultFolder() + QStringLiteral("/demo");
    if (commandLine.action() != ProgramCommandLine::Action::Run)
        return commandLine.answer(journalFolder, stdout, stderr);
    const ProgramCommandLine::DemoSettings& demo = commandLine.demo();

    TqApplication app(argc, argv, screenMessages());
    registerLcdFont();
    auto bus = std::make_shared<SimulatedHidBackend>();
    SimulatedCable::Options cable;
    cable.thermometer.changePerSecond = demo.changePerSecond;
    const SimulatedHidBackend::DeviceId cableId = bus->plugCable(cable);
    TFCOMM window(screenMessages(), bus, onBoardComPortPath, journalFolder);
    if (demo.unplugAfter) {
        scheduleCableOutage(*bus, cableId, {*demo.unplugAfter, demo.replugAfter},
                            [&window](std::chrono::milliseconds delay, std::function<void()> action) {
                                QTimer::singleShot(delay, &window, std::move(action));
                            });
    }
    window.show();
    window.restoreUnsavedRecording();
    return app.exec();
}
