#pragma once

#include "ReportFramer.h"

#include <cstdint>

class TFCOMM;
class THidDevice;

// What the report framer asks of the main window, for the device whose report is being handled.
class CableFramerHost : public ReportFramer::Host {
public:
    explicit CableFramerHost(TFCOMM& window) : m_window(window) {}

    void beginReport(THidDevice* device);

    bool downloadMode() const override;
    void switchOffSamplingInterval() override;
    void decodeFrame(const QByteArray& frameText) override;
    void sendStopCommand() override;
    void showFrameText(const QByteArray& frame) override;
    void showMarkedFrameText(const QByteArray& frame) override;
    void addHistoryLine(const QByteArray& line) override;
    void releaseSyncHandle() override;

private:
    TFCOMM& m_window;
    THidDevice* m_device = nullptr;
    uint64_t m_generation = 0;
};
