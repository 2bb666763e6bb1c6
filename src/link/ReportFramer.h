#pragma once

#include "base/ProgramState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

// Collects the payload bytes of the cable's input reports into bursts, turns a closed burst
// into the meter frame and dispatches it by its type code.
class ReportFramer {
public:
    // What the framer needs from the window around it.
    class Host {
    public:
        virtual ~Host() = default;
        virtual bool downloadMode() const = 0;           // "Download Data" ticked
        virtual void switchOffSamplingInterval() = 0;    // untick RecordSI
        virtual void decodeFrame(const QByteArray& frameText) = 0;  // onto the panel and into the record; may throw
        virtual void sendStopCommand() = 0;
        virtual void showFrameText(const QByteArray& frame) = 0;         // diagnostic label USBtxt
        virtual void showMarkedFrameText(const QByteArray& frame) = 0;   // diagnostic label USBtxt1
        virtual void addHistoryLine(const QByteArray& line) = 0;
        virtual void releaseSyncHandle() = 0;  // input buffers to 0, then close the synchronous handle
    };

    ReportFramer(ProgramState& state, Host& host) : m_state(state), m_host(host) {}

    // One input report as the HID layer hands it over: the report ID and Size data bytes.
    // A decoder failure is rethrown only after the burst has been closed, so the next frame
    // starts clean and the error still reaches the user.
    void handleReport(uint8_t reportId, const uint8_t* data, uint16_t size);

    static QByteArray historyLine(uint8_t reportId, const uint8_t* data, uint16_t size);
    static QByteArray frameTextFromBurst(const QByteArray& burstHex);
    static QByteArray typeCode(const QByteArray& frameText);
    struct Range { int32_t max; int32_t min; };
    static std::optional<Range> modelRange(const QByteArray& frameText);

private:
    void closeBurst();

    ProgramState& m_state;
    Host& m_host;
};
