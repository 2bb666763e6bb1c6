#pragma once

// The HID device layer: the controller, its devices and their reader threads.
#include "HidBackend.h"
#include "HidDevice.h"
#include "HidDeviceController.h"
#include "HidDeviceReadThread.h"
#include "HidEvents.h"
#include "HidPnPInfo.h"
