#pragma once

// The HID device layer: the controller, its devices and their reader threads.
#include "link/HidBackend.h"
#include "link/HidDevice.h"
#include "link/HidDeviceController.h"
#include "link/HidDeviceReadThread.h"
#include "link/HidEvents.h"
#include "link/HidPnPInfo.h"
