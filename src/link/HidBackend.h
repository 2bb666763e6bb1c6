#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One HID device interface as a backend lists it.
struct HidInterfaceInfo {
    QByteArray instance;  // identifies the device across rescans
    QByteArray path;      // what open() takes
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
    QString productString;  // empty: the device has none
    QString serialNumber;   // empty: the device has none
};

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// Longest report of each kind in bytes, the report ID byte included (also on devices without
// numbered reports); 0 when the device has no report of that kind.
struct HidReportLengths {
    uint16_t input = 0;
    uint16_t output = 0;
    uint16_t feature = 0;
    bool operator==(const HidReportLengths&) const = default;
};

enum class HidAccess {
    ReadWrite,
    Read,
    Write,
    None,  // identity and report lengths only; opens where read-write access is refused
};

struct HidReadResult {
    enum Status { Completed, TimedOut, Cancelled, Failed };
    Status status = TimedOut;
    uint32_t bytesRead = 0;  // Completed: report ID byte included
    uint32_t error = 0;      // Failed: the platform's error code
};

// What reading string index 0, the device's language-ID list, gave.
enum class HidLanguageIds {
    NotApplicable,  // the platform's serial-number query never answers with that list
    Unreadable,
    Read,
};

// One open handle on a device. Closing is destroying it; the backend keeps what it needs alive
// until the last reference goes. Only readInputReport and cancel may run on another thread than
// the rest, and they may run at the same time.
class HidHandle {
public:
    virtual ~HidHandle() = default;

    virtual bool getAttributes(HidAttributes& attributes) = 0;
    virtual bool getProductString(QString& text) = 0;
    virtual bool getSerialNumberString(QString& text) = 0;
    // Some platforms answer the serial-number query of a device without a serial number with
    // its language-ID list; they return the list here so that the caller can tell.
    virtual HidLanguageIds getLanguageIds(std::u16string& ids);
    virtual std::optional<HidReportLengths> getReportLengths() = 0;

    // Linux has no per-handle input-buffer setting: a handle keeps the number it was given,
    // starting at the 64 reports that hidraw keeps per open file.
    virtual bool setInputBufferCount(int32_t count);
    virtual bool getInputBufferCount(int32_t& count);

    // Byte 0 of every report is the report ID, 0 on devices without numbered reports.
    virtual bool sendFeatureReport(std::span<const uint8_t> report) = 0;
    virtual bool writeOutputReport(std::span<const uint8_t> report, uint32_t& written) = 0;
    // Blocks until one input report has been read into the buffer, timeoutMs have passed or
    // cancel() was called. Needs a handle opened for reading.
    virtual HidReadResult readInputReport(std::span<uint8_t> buffer, int timeoutMs) = 0;
    // Safe from any thread: a read blocked on this handle returns Cancelled, and so does every
    // later one.
    virtual void cancel() = 0;

private:
    int32_t m_inputBufferCount = 64;
};

// The platform's HID services. The device layer reaches the platform through this alone.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // False when the platform's HID services cannot be had; then nothing else is asked.
    virtual bool available() const { return true; }
    // The device interfaces present now; empty when none are, or when the set cannot be had.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Null when the device cannot be opened with that access; error then holds the reason.
    virtual std::shared_ptr<HidHandle> open(const HidInterfaceInfo& device, HidAccess access, uint32_t& error) = 0;
    // Calls changed on the calling thread's event loop whenever devices may have come or gone.
    // An empty function stops watching. False when changes cannot be watched.
    virtual bool watchChanges(std::function<void()> changed) = 0;

    // Error codes belong to the backend that gave them; only it can say what they mean.
    // The text a user reads for one of this backend's error codes.
    virtual QByteArray errorText(uint32_t error) const = 0;
    // What a user can do about a device that could not be opened read-write; empty when the
    // reason is not one the user can act on.
    virtual QByteArray accessProblem(const HidInterfaceInfo& device, uint32_t error) const = 0;
    // The code a device reports when it is read after it was unplugged or handed back.
    virtual uint32_t notAttachedError() const = 0;
};

// The backend for the machine the program runs on.
std::shared_ptr<HidBackend> createPlatformHidBackend();
