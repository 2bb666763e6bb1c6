#pragma once

#include "base/IntegerText.h"
#include "link/HidHandler.h"

#include <QString>
#include <cstdint>
#include <functional>

class QObject;
class THidDevice;

// The events of the HID layer.
using THidPlugEvent = THidHandler<void(THidDevice* device)>;
// Returns true to go on enumerating.
using THidEnumerateEvent = THidHandler<bool(THidDevice* device, int32_t index)>;
// data points to the size bytes after the report ID; they are valid only during the call.
using THidDataEvent = THidHandler<void(THidDevice* device, uint8_t reportId, const uint8_t* data, uint16_t size)>;
using THidDataErrorEvent = THidHandler<void(THidDevice* device, uint32_t error)>;
using TNotifyEvent = THidHandler<void(QObject* sender)>;
// A report or error handler threw: the failure's message, or "Unknown error". The reader goes on
// reading, so the owner decides how the user hears of it.
using THidHandlerFailureEvent = std::function<void(const QString& message)>;

// The reader's queue was full while the GUI thread was busy: lost reports were dropped. Told once
// the GUI thread has caught up with the reports before and after them.
using THidReportsLostEvent = std::function<void(THidDevice* device, uint64_t lost)>;

// The failures of the HID layer: "device cannot be opened", "device cannot be identified",
// "Only one THidDeviceController allowed per program".
class EControllerError : public ProgramError {
public:
    using ProgramError::ProgramError;
};
