#pragma once

#include "sim/SimulatedHidBackend.h"

#include <chrono>
#include <functional>

// When the demo pulls its simulated cable out and puts it back, so a user sees what the program
// does when the cable goes away, without hardware.
struct SimulatedCableOutage {
    std::chrono::milliseconds unplugAfter;   // from the start of the program
    std::chrono::milliseconds replugAfter;   // from the unplugging
};

// Runs an action once after a delay, on the thread that plugs and unplugs (the GUI thread).
using RunLater = std::function<void(std::chrono::milliseconds delay, std::function<void()> action)>;

// Unplugs `cable` from `bus` after outage.unplugAfter and plugs it in again outage.replugAfter
// later, as a new device instance, the way a real cable comes back.
void scheduleCableOutage(SimulatedHidBackend& bus, SimulatedHidBackend::DeviceId cable,
                         SimulatedCableOutage outage, const RunLater& runLater);
