#pragma once

#include "base/UserMessages.h"
#include "chart/ConnectionIndicator.h"
#include "display/FrameDecoder.h"
#include "display/FrameDisplay.h"
#include "link/CablePanelControls.h"
#include "record/MeasurementTable.h"
#include "record/Recorder.h"
#include "serial/SerialLinkPorts.h"
#include "session/SessionPorts.h"

#include <QList>

// Every panel a session reaches, standing in for the window: the sampling interval off, Repeat
// ticked, Download Data as the test sets it, the cable's line at 2400 baud, and a device list
// whose selected row the test sets.
struct ScreenlessPanels : FrameDisplay,
                          ConnectionIndicator,
                          RecordingControls,
                          StartTimeControls,
                          ConnectionControls,
                          DeviceListControls,
                          DiagnosticControls,
                          SerialPanelControls,
                          SerialMenuItems {
    int framesShown = 0;
    int blinks = 0;
    bool connect = false;
    QList<QByteArray> devices;
    int selectedRow = -1;
    bool download = false;
    QList<QByteArray> history;

    void show(const DecodedFrame&) override { ++framesShown; }
    void toggleConnectionIndicator() override { ++blinks; }
    void showNotConnected() override {}

    bool repeatTicked() const override { return true; }
    bool samplingTicked() const override { return false; }
    QByteArray intervalText() const override { return "1"; }
    void switchOffSamplingInterval() override {}
    bool recallTicked() const override { return false; }

    bool connectTicked() const override { return connect; }
    void releaseConnectToggle() override { connect = false; }
    void setConnectCaption(const QString&) override {}
    bool downloadTicked() const override { return download; }
    void setDownloadEnabled(bool) override {}

    void clearDeviceLines() override { devices.clear(); }
    void addDeviceLine(const QByteArray& line) override { devices.append(line); }
    void setCurrentDeviceRow(int row) override { selectedRow = row; }
    int selectedDeviceRow() const override { return selectedRow; }

    void addHistoryLine(const QByteArray& line) override { history.append(line); }
    void showFrameText(const QByteArray&) override {}
    void showMarkedFrameText(const QByteArray&) override {}
    void clearHistory() override {}
    bool readTicked() const override { return false; }
    void releaseReadButton() override {}
    // The cable's line at the thermometer's 2400 baud, as the window's boxes start.
    CableReports::BaudBoxes baudBoxes() const override { return {.b2400 = true}; }

    bool serialToggleDown() const override { return false; }
    void showSerialConnected(bool) override {}
    void markSerialConnected(bool) override {}


    SessionPorts ports(UserMessages& messages)
    {
        return {*this, *this, *this, *this, *this, *this, *this, *this, *this, messages};
    }
};

// A table row as "No|Time|Value|Unit".
inline QByteArray rowText(const MeasurementTable& table, int index)
{
    const MeasurementRow row = table.row(index);
    return QByteArray::number(*row.no()) + "|" + row.time()->toByteArray() + "|" + row.value()->toByteArray() + "|"
           + row.unit()->toByteArray();
}
