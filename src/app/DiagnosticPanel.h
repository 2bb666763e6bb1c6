#pragma once

#include "link/CablePanelControls.h"
#include "serial/SerialLinkPorts.h"

#include <QByteArray>
#include <QWidget>

class GaugePanel;
class LimitPanel;
class UserMessages;
class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class BevelPanel;
class QToolButton;
class StartTimePanel;

// The controls the user does not see: hidden ones, and ones placed under the right column,
// which covers them but leaves them reachable with the Tab key. It spans the whole client
// area, lies beneath the visible columns and draws nothing itself, so each control keeps its
// place in client coordinates.
class DiagnosticPanel : public QWidget,
                        public DeviceListControls,
                        public DiagnosticControls,
                        public SerialPanelControls {
    Q_OBJECT
public:
    DiagnosticPanel(UserMessages& messages, QWidget* client);

    // The history keeps the newest kHistoryLines lines, so a long recording does not grow
    // memory without end; the newest line is scrolled into view.
    static constexpr int kHistoryLines = 10000;
    void addHistoryLine(const QByteArray& line) override;
    void clearHistory() override;
    bool readTicked() const override;
    void releaseReadButton() override;
    CableReports::BaudBoxes baudBoxes() const override;
    void showFrameText(const QByteArray& frame) override;
    void showMarkedFrameText(const QByteArray& frame) override;

    void clearDeviceLines() override;
    void addDeviceLine(const QByteArray& line) override;
    void setCurrentDeviceRow(int row) override;
    int selectedDeviceRow() const override;

    bool serialToggleDown() const override;
    void showSerialConnected(bool connected) override;

    // The memo and the serial baud boxes are hidden when the window is created.
    void hideAtStart();
    // Whether the serial protocol box (the second meter model) is ticked.
    bool serialProtocolTicked() const;

    StartTimePanel* startTimePanel() const { return m_startTime; }
    LimitPanel* limitPanel() const { return m_limits; }
    GaugePanel* gaugePanel() const { return m_gauge; }
    QPushButton* setFeatureButton() const { return m_setFeature; }
    QPushButton* sendDataButton() const { return m_sendData; }
    QToolButton* readButton() const { return m_read; }
    QToolButton* clearButton() const { return m_clear; }
    QPushButton* decodeTestButton() const { return m_decodeTest; }  // Button4
    BevelPanel* serialConnectButton() const { return m_serialConnect; }        // BTCon
    BevelPanel* serialDisconnectButton() const { return m_serialDisconnect; }  // BtDiscon
    QToolButton* serialToggle() const { return m_serialToggle; }               // COMCon
    QPushButton* baudRateButton() const { return m_baudRate; }                 // Button2
    QPushButton* serialMeterButton() const { return m_serialMeter; }           // Button3

private:
    void buildSerialControls();
    void buildHiddenButtons();

    LimitPanel* m_limits = nullptr;
    StartTimePanel* m_startTime = nullptr;
    GaugePanel* m_gauge = nullptr;
    QPushButton* m_setFeature = nullptr;
    QListWidget* m_history = nullptr;
    QPushButton* m_sendData = nullptr;
    QLabel* m_frameText = nullptr;        // USBtxt
    QLabel* m_markedFrameText = nullptr;  // USBtxt1
    QToolButton* m_read = nullptr;
    QToolButton* m_clear = nullptr;
    QCheckBox* m_serialProtocol = nullptr;  // SerialProtocolBox
    QPlainTextEdit* m_memo = nullptr;
    QListWidget* m_devices = nullptr;
    QPushButton* m_decodeTest = nullptr;
    QToolButton* m_serialToggle = nullptr;  // COMCon
    BevelPanel* m_serialConnect = nullptr;
    BevelPanel* m_serialDisconnect = nullptr;
    BevelPanel* m_portPanels[4] = {};  // BtCOM1 ... BtCOM4
    QPushButton* m_baudRate = nullptr;
    QPushButton* m_serialMeter = nullptr;
    QCheckBox* m_b2400 = nullptr;
    QCheckBox* m_b4800 = nullptr;
    QCheckBox* m_b9600 = nullptr;
};
