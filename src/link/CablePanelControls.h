#pragma once

#include "link/CableReports.h"

#include <QByteArray>
#include <QString>

// What the cable connection asks of the window around it, one interface per panel that answers.
// All of them are called on the GUI thread only.

// The top bar: the USBCon connect toggle and the RecallData "Download Data" box.
class ConnectionControls {
public:
    virtual ~ConnectionControls() = default;

    virtual bool connectTicked() const = 0;                      // USBCon is down
    virtual void releaseConnectToggle() = 0;                     // lifts USBCon without running its click
    virtual void setConnectCaption(const QString& caption) = 0;  // USBCon's text
    virtual bool downloadTicked() const = 0;                     // RecallData is ticked
    virtual void setDownloadEnabled(bool enabled) = 0;           // RecallData may be changed
};

// The diagnostic panel's device list, DevListBox: one line per listed device, in list order.
class DeviceListControls {
public:
    virtual ~DeviceListControls() = default;

    virtual void clearDeviceLines() = 0;
    virtual void addDeviceLine(const QByteArray& line) = 0;
    virtual void setCurrentDeviceRow(int row) = 0;  // makes the row current and selected
    virtual int selectedDeviceRow() const = 0;      // the current row when it is selected, otherwise -1
};

// The diagnostic panel's record of the cable's traffic, which the report framer writes.
class FrameDiagnostics {
public:
    virtual ~FrameDiagnostics() = default;

    virtual void addHistoryLine(const QByteArray& line) = 0;        // HistoryListBox, which keeps only its newest lines
    virtual void showFrameText(const QByteArray& frame) = 0;        // USBtxt; empty clears it
    virtual void showMarkedFrameText(const QByteArray& frame) = 0;  // USBtxt1
};

// The rest of the diagnostic panel.
class DiagnosticControls : public FrameDiagnostics {
public:
    virtual void clearHistory() = 0;                          // empties HistoryListBox and Memo1
    virtual bool readTicked() const = 0;                      // ReadBtn is down
    virtual void releaseReadButton() = 0;                     // lifts ReadBtn
    virtual CableReports::BaudBoxes baudBoxes() const = 0;    // B9600, B4800, B2400 for the feature report
};
