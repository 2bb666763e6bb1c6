#pragma once

#include "base/LinkPorts.h"
#include "link/CablePanelControls.h"

// The panels a cable connection talks to; each must outlive the connection.
struct CableConnectionPorts {
    ConnectionControls& connection;
    DeviceListControls& deviceList;
    DiagnosticControls& diagnostics;
    ReadingTarget& readings;
    UserMessages& messages;
};
