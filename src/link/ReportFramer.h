#pragma once

#include "base/LinkPorts.h"
#include "link/CablePanelControls.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

// Collects the payload bytes of the cable's input reports into bursts, turns a closed burst
// into the meter frame and dispatches it by its type code.
class ReportFramer {
public:
    // What the framer asks of the cable whose report it frames.
    class Cable {
    public:
        virtual ~Cable() = default;
        virtual void sendStopCommand() = 0;
        virtual void releaseSyncHandle() = 0;  // input buffers to 0, then close the synchronous handle
    };

    // connection says whether "Download Data" is ticked; every argument must outlive the framer.
    ReportFramer(const ConnectionControls& connection, FrameDiagnostics& diagnostics, ReadingTarget& readings,
                 Cable& cable)
        : m_connection(connection), m_diagnostics(diagnostics), m_readings(readings), m_cable(cable)
    {
    }

    // One input report as the HID layer hands it over: the report ID and Size data bytes.
    // A decoder failure is rethrown only after the burst has been closed, so the next frame
    // starts clean and the error still reaches the user.
    void handleReport(uint8_t reportId, const uint8_t* data, uint16_t size);

    // Stored-reading frames passed on to be decoded since the framer was made, whether or not
    // they decoded.
    int64_t storedReadings() const { return m_storedReadings; }

    // The watchdog's count of reports without payload since the last one with payload.
    int32_t reportCount() const { return m_ReportCount; }
    void restartReportCount() { m_ReportCount = 0; }
    // Connecting drops a burst a disconnect cut short, but leaves it pending: the first empty
    // report after the connect closes it, empty.
    void dropBurstBytes() { m_BurstHex.clear(); }
    const QByteArray& burstHex() const { return m_BurstHex; }
    bool burstPending() const { return m_BurstPending; }

    static QByteArray historyLine(uint8_t reportId, const uint8_t* data, uint16_t size);
    static QByteArray frameTextFromBurst(const QByteArray& burstHex);
    static QByteArray typeCode(const QByteArray& frameText);
    struct Range { int32_t max; int32_t min; };
    static std::optional<Range> modelRange(const QByteArray& frameText);

private:
    void closeBurst();

    const ConnectionControls& m_connection;
    FrameDiagnostics& m_diagnostics;
    ReadingTarget& m_readings;
    Cable& m_cable;
    int64_t m_storedReadings = 0;
    QByteArray m_BurstHex;         // the burst's payload bytes so far, two hex digits each
    bool m_BurstPending = false;   // a report with payload came since the burst was last closed
    int32_t m_ReportCount = 0;
};
