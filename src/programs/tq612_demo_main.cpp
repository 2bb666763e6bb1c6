// The program with a simulated cable and thermometer plugged in before the window first shows,
// for trying it without the instrument.
#include "ErrorReport.h"
#include "LcdFont.h"
#include "MessageDialogs.h"
#include "ProgramCommandLine.h"
#include "SimulatedCableOutage.h"
#include "SimulatedHidBackend.h"
#include "TFCOMM.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    const ProgramCommandLine commandLine(ProgramCommandLine::Program::Demo,
                                         ProgramCommandLine::argumentsOf(argc, argv));
    if (commandLine.action() != ProgramCommandLine::Action::Run)
        return commandLine.answer(stdout, stderr);
    const ProgramCommandLine::DemoSettings& demo = commandLine.demo();

    TqApplication app(argc, argv, screenDialogs());
    registerLcdFont();
    auto bus = std::make_shared<SimulatedHidBackend>();
    SimulatedCable::Options cable;
    cable.thermometer.changePerSecond = demo.changePerSecond;
    const SimulatedHidBackend::DeviceId cableId = bus->plugCable(cable);
    TFCOMM window(screenDialogs(), bus);
    if (demo.unplugAfter) {
        scheduleCableOutage(*bus, cableId, {*demo.unplugAfter, demo.replugAfter},
                            [&window](std::chrono::milliseconds delay, std::function<void()> action) {
                                QTimer::singleShot(delay, &window, std::move(action));
                            });
    }
    window.show();
    return app.exec();
}
