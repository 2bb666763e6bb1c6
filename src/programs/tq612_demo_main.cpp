// The program with a simulated cable and thermometer plugged in before the window first shows,
// for trying it without the instrument.
#include "ErrorReport.h"
#include "LcdFont.h"
#include "SimulatedHidBackend.h"
#include "TFCOMM.h"

int main(int argc, char** argv)
{
    TqApplication app(argc, argv);
    registerLcdFont();
    auto bus = std::make_shared<SimulatedHidBackend>();
    bus->plugCable();
    TFCOMM window(nullptr, bus);
    window.show();
    return app.exec();
}
