#pragma once

#include "link/HidBackend.h"
#include "sim/SimulatedThermometer.h"

#include <QByteArray>
#include <cstdint>
#include <deque>
#include <random>
#include <span>

// The USB interface cable of a simulated thermometer, as a HID device. It passes the bytes of
// output reports on to the instrument and the instrument's bytes back in input reports.
//
// Input report: report ID 0, a count byte (high nibble F, low nibble n), n payload bytes, zero
// padding. The cable gathers the bytes that arrive over a short, random time and sends them
// 1 to 9 at a time; while a frame is arriving it waits for the next byte, and only an idle line
// gives reports without payload, one every 10 ms. So every frame is followed by at least one
// empty report and never split by one.
//
// Output report (9 bytes): report ID 0, the payload length n, n bytes for the instrument.
// Feature report (10 bytes): report ID 0, the baud rate (low byte first), ... The cable passes
// nothing in either direction until it has been set to the instrument's 2400 baud.
//
// Times are microseconds on the simulation's clock; the class itself never waits.
class SimulatedCable {
public:
    static constexpr uint16_t kOutputReportByteLength = 9;
    static constexpr uint16_t kFeatureReportByteLength = 10;
    static constexpr int64_t kIdleReportIntervalUs = 10'000;
    static constexpr int64_t kMaxGatherTimeUs = 40'000;
    static constexpr int64_t kMinReportSpacingUs = 1'000;
    static constexpr int kMaxPayload = 9;

    struct Options {
        uint32_t seed = 2400;
        // Room for the report ID, the count byte and nine payload bytes.
        uint16_t inputReportByteLength = 11;
        SimulatedThermometer::Options thermometer;
    };

    struct InputReport {
        int64_t time = 0;
        QByteArray bytes;  // report ID first, inputReportByteLength bytes
    };

    SimulatedCable();
    explicit SimulatedCable(Options options);

    HidReportLengths reportLengths() const;
    bool receiveFeatureReport(std::span<const uint8_t> report, int64_t now);
    bool receiveOutputReport(std::span<const uint8_t> report, int64_t now);

    // The report that follows the previous one.
    InputReport nextReport();
    int64_t lastReportTime() const { return m_lastReportTime; }
    // Reports go on from `time`; what arrived before it is lost, as in an overflowing buffer.
    void skipTo(int64_t time);
    // Unplugged and plugged in again: the baud rate is forgotten.
    void powerCycle();

    uint32_t baudRate() const { return m_baudRate; }
    SimulatedThermometer& thermometer() { return m_thermometer; }

private:
    struct LineByte {
        int64_t arrival;
        uint8_t value;
    };

    void pull(int64_t until);

    Options m_options;
    SimulatedThermometer m_thermometer;
    std::mt19937 m_random;
    std::deque<LineByte> m_line;
    uint32_t m_baudRate = 0;
    int64_t m_lastReportTime = 0;
    int64_t m_transmitFreeAt = 0;  // messages to the instrument go out one after another
};
