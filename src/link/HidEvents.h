#pragma once

#include "base/IntegerText.h"
#include "link/HidHandler.h"

#include <QString>
#include <cstdint>
#include <functional>

class QObject;
class THidDevice;

// The events of the HID layer. The parameter names are the ones handlers are documented with.
using THidPlugEvent = THidHandler<void(THidDevice* HidDev)>;
// Returns true to go on enumerating.
using THidEnumerateEvent = THidHandler<bool(THidDevice* HidDev, int32_t Idx)>;
// Data points to the Size bytes after the report ID; they are valid only during the call.
using THidDataEvent = THidHandler<void(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)>;
using THidDataErrorEvent = THidHandler<void(THidDevice* HidDev, uint32_t Error)>;
using TNotifyEvent = THidHandler<void(QObject* Sender)>;
// A report or error handler threw: the failure's message, or "Unknown error". The reader goes on
// reading, so the owner decides how the user hears of it.
using THidHandlerFailureEvent = std::function<void(const QString& Message)>;

// The reader's queue was full while the GUI thread was busy: Lost reports were dropped. Told once
// the GUI thread has caught up with the reports before and after them.
using THidReportsLostEvent = std::function<void(THidDevice* HidDev, uint64_t Lost)>;

// The failures of the HID layer: "device cannot be opened", "device cannot be identified",
// "Only one THidDeviceController allowed per program".
class EControllerError : public ProgramError {
public:
    using ProgramError::ProgramError;
};
