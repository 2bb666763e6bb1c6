#include "sim/SimulatedCableOutage.h"

void scheduleCableOutage(SimulatedHidBackend& bus, SimulatedHidBackend::DeviceId cable,
                         SimulatedCableOutage outage, const RunLater& runLater)
{
    // The replug is scheduled only once the cable is out, so the outage lasts replugAfter
    // however late the first timer fires.
    runLater(outage.unplugAfter, [&bus, cable, replugAfter = outage.replugAfter, runLater] {
        bus.unplug(cable);
        runLater(replugAfter, [&bus, cable] { bus.replug(cable); });
    });
}
