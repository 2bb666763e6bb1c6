#pragma once

#include "LcdPanel.h"
#include "MeasurementTable.h"
#include "ProgramState.h"
#include "Recorder.h"
#include "TChartControl.h"

#include <QByteArray>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>

class BevelPanel;
class ChartView;
class LcdDot;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class TForm1;
class HidBackend;
class ReportFramer;
enum class MessageKind : uint8_t;
class CableFramerHost;
class THidDevice;
class THidDeviceController;

// The main window. It owns every control, component and timer, each under its own name as
// objectName and as an m_ member, and the one ProgramState that the handlers share.
class TFCOMM : public QMainWindow {
    Q_OBJECT
public:
    // The HID backend is the platform's unless another one (the simulated cable) is given.
    explicit TFCOMM(QWidget* parent = nullptr, std::shared_ptr<HidBackend> hidBackend = {});
    ~TFCOMM() override;

    // USB link: the device list, the cable commands, the report framer and the connection.
    THidDeviceController* HidCtl() const { return m_HidCtl; }
    bool HidCtlEnumerate(THidDevice* HidDev, int32_t Idx);
    void HidCtlDeviceChange(QObject* Sender);
    void HidCtlArrival(THidDevice* HidDev);
    void HidCtlRemoval(THidDevice* HidDev);
    void HidCtlDeviceDataError(THidDevice* HidDev, uint32_t Error);
    void ReadUSBData(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size);
    void USBConClick();
    void ReadBtnClick();
    void ClearBtnClick();
    void ConTimerTimer();
    void SetFeatureClick();
    void SendUSBData(uint8_t value);
    void SendDataClick();
    // Adds a diagnostic line to the history list and scrolls it into view; the list keeps the
    // newest kHistoryLines lines so a long recording does not grow memory without end.
    void addHistoryLine(const QByteArray& line);
    static constexpr int kHistoryLines = 10000;

    ProgramState& state() { return m_state; }
    const ProgramState& state() const { return m_state; }

    // The decimal separator of the user's locale, "" when the locale gives none.
    QByteArray GetDecimalText() const;

    // Puts the chart's drawing into the chart area, filling it beneath the date label and
    // the zoom buttons. The view takes no keyboard focus.
    void setChartView(QWidget* view);

    void BitBtn1Click();
    void AboutClick();
    // Asks the user before the window closes; canClose says whether it may.
    void FormCloseQuery(bool& canClose);

    // Recording and the chart: the decoder's entry, the recorder over the window's controls, the
    // measurement table and its grid, the chart pager and its strip, the start-time panel and
    // saving the table. Handlers keep the names of the controls and events they serve.
public:
    // Decodes FrameText onto the LCD panel and records the reading; the argument has no effect.
    void LcdDisplay81(int32_t unused);
    // Empties the table and the chart and numbers from 1 again (a new download does this).
    void StartNewRecording();
    void INDataToTable();
    void TrecordTimer();
    void RecordSITimeChange();
    // Whether a key pressed in a number box may reach it: typed characters other than digits
    // and backspace are dropped; editing keys and short-cuts such as paste go through.
    static bool RecordSITimeKeyPress(const QKeyEvent& key);
    void RecordNewClick();
    void N10001Click();
    void N50001Click();
    void N100001Click();
    void N500001Click();
    void N1000001Click();
    void limitessClick();
    void Button4Click();
    void RecallCheckClick();
    void RecallCheckExit();
    void TimeHKeyUp();
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void MaxrecordExit();
    void Timer1Timer();
    void Timer2Timer();
    void saveasClick();

    MeasurementTable m_cds1;
    ChartView* m_ChartView = nullptr;  // the chart's drawing inside Chtshow

private:
    void createChartPager();
    void createMeasurementTable();
    void chooseRecordLimit(int32_t limit);
    std::array<int32_t, 3> startTimeFields() const;

    // Declared after the table, so they go first: nothing of them outlives what they point at.
    std::unique_ptr<TChartControl> m_ChartPager;
    std::unique_ptr<LcdPanel> m_lcdPanel;
    std::unique_ptr<RecordingControls> m_recordingControls;
    std::unique_ptr<Recorder> m_recorder;
    // Gone before the controls it watches, so no key or focus event of a control being
    // destroyed reaches a handler.
    std::unique_ptr<QObject> m_recordEvents;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();

    void buildWindow();
    void buildTopBar();
    void buildLeftColumn();
    void buildLcdPanel();
    void buildRecordBar();
    void buildGrid();
    void buildRightColumn();
    void buildChartArea();
    void buildDiagnostics();
    void buildDownloadPanel();
    void buildLimitPanel();
    void buildGaugePanel();
    void buildMenus();
    void buildComponents();
    void setFocusOrder();
    void giveMenuShortcutsPriority();

    ProgramState m_state;
    bool m_centred = false;

    // USB link
    void createHidController(std::shared_ptr<HidBackend> backend);
    void releaseListedDevices();
    THidDevice* selectCable();
    // Selects the cable; without one, shows the notice and releases the Connect toggle.
    THidDevice* cableOrNotice(const QString& notice, MessageKind kind);
    void sendOutputReport(const std::vector<uint8_t>& report);
    THidDeviceController* m_HidCtl = nullptr;
    std::vector<THidDevice*> m_listedDevices;  // the claimed device of each line of DevListBox
    std::unique_ptr<ReportFramer> m_framer;
    std::unique_ptr<CableFramerHost> m_framerHost;
    friend class CableFramerHost;
    // Bumped whenever the device list is rebuilt: a report handler that outlived a rebuild
    // (through a dialog opened while it ran) must not touch its released device afterwards.
    uint64_t m_deviceListGeneration = 0;

public:
    // The client area below the menu bar, 920 x 582.
    QWidget* m_Client = nullptr;

    // Top bar
    BevelPanel* m_Panel4 = nullptr;
    QToolButton* m_USBCon = nullptr;
    QCheckBox* m_RecallData = nullptr;
    QPushButton* m_BitBtn1 = nullptr;

    // Left column
    BevelPanel* m_Panel5 = nullptr;
    BevelPanel* m_Panel1 = nullptr;
    QLabel* m_LcdD4 = nullptr;
    QLabel* m_LcdD3 = nullptr;
    QLabel* m_LcdD2 = nullptr;
    QLabel* m_LcdD1 = nullptr;
    QLabel* m_LcdFH = nullptr;
    LcdDot* m_LcdP0 = nullptr;
    LcdDot* m_LcdP1 = nullptr;
    LcdDot* m_LcdP2 = nullptr;
    QLabel* m_LcdAuto = nullptr;
    QLabel* m_LCDBF = nullptr;
    QLabel* m_LcdAC = nullptr;
    QLabel* m_LcdDc1 = nullptr;
    QLabel* m_LcdACDC = nullptr;
    QLabel* m_LCDJa = nullptr;
    QLabel* m_LCDRec = nullptr;
    QLabel* m_LCDHold = nullptr;
    QLabel* m_LCDBATT = nullptr;
    QLabel* m_LCDDI = nullptr;
    QLabel* m_LCDC = nullptr;
    QLabel* m_LCDF = nullptr;
    QLabel* m_LCDTRMS = nullptr;
    QProgressBar* m_PBar2 = nullptr;
    BevelPanel* m_Panel6 = nullptr;
    QCheckBox* m_RepeatSet = nullptr;
    QCheckBox* m_RecordSI = nullptr;
    QLineEdit* m_RecordSITime = nullptr;
    QToolButton* m_RecordNew = nullptr;
    QToolButton* m_OpenDataFiles = nullptr;
    QToolButton* m_saveas = nullptr;
    QToolButton* m_BtPrint = nullptr;
    // Empty until the measurement table's model is set; the column widths apply then.
    QTableView* m_DBGrid1 = nullptr;
    QToolButton* m_Print = nullptr;

    // Right column
    BevelPanel* m_Panel7 = nullptr;
    BevelPanel* m_Panel8 = nullptr;
    QLabel* m_CONokN = nullptr;
    QLabel* m_CONok = nullptr;
    QLabel* m_Label6 = nullptr;
    QLineEdit* m_Maxrecord = nullptr;
    QToolButton* m_BtSave = nullptr;
    QToolButton* m_BtFirst = nullptr;
    QToolButton* m_BTPrevious = nullptr;
    QToolButton* m_Bt10 = nullptr;
    QToolButton* m_BtNext = nullptr;
    QToolButton* m_BTlast = nullptr;
    // The chart area; the chart's own view goes in through setChartView.
    BevelPanel* m_Chtshow = nullptr;
    QToolButton* m_TbFd = nullptr;
    QToolButton* m_TbSx = nullptr;
    QLabel* m_lbl_time = nullptr;
    QComboBox* m_ComboBox1 = nullptr;

    // Diagnostic controls, hidden or covered by the right column
    QToolButton* m_COMCon = nullptr;
    QLabel* m_USBtxt = nullptr;
    QLabel* m_USBtxt1 = nullptr;
    QToolButton* m_ReadBtn = nullptr;
    QToolButton* m_ClearBtn = nullptr;
    QToolButton* m_InfoBtn = nullptr;
    QToolButton* m_BtNew = nullptr;
    BevelPanel* m_BtCOM1 = nullptr;
    BevelPanel* m_BtCOM2 = nullptr;
    BevelPanel* m_BtCOM3 = nullptr;
    BevelPanel* m_BtCOM4 = nullptr;
    BevelPanel* m_Panel2 = nullptr;
    QCheckBox* m_RecallCheck = nullptr;
    QLabel* m_Label2 = nullptr;
    QLineEdit* m_TimeH = nullptr;
    QLabel* m_Label3 = nullptr;
    QLineEdit* m_TimeM = nullptr;
    QLabel* m_Label4 = nullptr;
    QLineEdit* m_TimeS = nullptr;
    QLabel* m_Label1 = nullptr;
    QLineEdit* m_TimeInt = nullptr;
    QLabel* m_Label5 = nullptr;
    BevelPanel* m_Panel3 = nullptr;
    QLabel* m_Label11 = nullptr;
    QLabel* m_Label12 = nullptr;
    QLabel* m_MinText = nullptr;
    QLabel* m_MaxText = nullptr;
    QLabel* m_MinTextU = nullptr;
    QLabel* m_MaxTextU = nullptr;
    QCheckBox* m_SetMaxB = nullptr;
    QCheckBox* m_SetMinB = nullptr;
    QLineEdit* m_Setmax = nullptr;
    QLineEdit* m_SetMin = nullptr;
    BevelPanel* m_KD = nullptr;
    QLabel* m_KD1 = nullptr;  // the dial gauge is drawn into its pixmap, shown stretched
    QToolButton* m_KdFd = nullptr;
    QToolButton* m_KdSx = nullptr;
    BevelPanel* m_oltext = nullptr;
    BevelPanel* m_BTCon = nullptr;
    BevelPanel* m_BtDiscon = nullptr;
    BevelPanel* m_BtExit = nullptr;
    QCheckBox* m_MeterModelBox1 = nullptr;
    QCheckBox* m_SerialProtocolBox = nullptr;
    QCheckBox* m_MeterModelBox3 = nullptr;
    QCheckBox* m_MeterModelBox4 = nullptr;
    QPlainTextEdit* m_Memo1 = nullptr;
    QPushButton* m_SetFeature = nullptr;
    QListWidget* m_DevListBox = nullptr;
    QListWidget* m_HistoryListBox = nullptr;
    QPushButton* m_RecallDataTest = nullptr;
    QPushButton* m_Onescope = nullptr;
    QPushButton* m_Button2 = nullptr;
    QPushButton* m_Button3 = nullptr;
    QPushButton* m_SendData = nullptr;
    QPushButton* m_Button4 = nullptr;
    QCheckBox* m_B2400 = nullptr;
    QCheckBox* m_B4800 = nullptr;
    QCheckBox* m_B9600 = nullptr;
    BevelPanel* m_ReportPanel = nullptr;  // unnamed holder of the report layout; stays hidden

    // Main menu
    QMenu* m_Connect1 = nullptr;
    QAction* m_START1 = nullptr;
    QAction* m_STOP1 = nullptr;
    QMenu* m_Record1 = nullptr;
    QAction* m_New1 = nullptr;
    QAction* m_Save1 = nullptr;
    QAction* m_N10001 = nullptr;
    QAction* m_N50001 = nullptr;
    QAction* m_N100001 = nullptr;
    QAction* m_N500001 = nullptr;
    QAction* m_N1000001 = nullptr;
    QAction* m_limitess = nullptr;
    QAction* m_Help1 = nullptr;
    QAction* m_About = nullptr;

    // Timers
    QTimer* m_ConTimer = nullptr;
    QTimer* m_Trecord = nullptr;
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer2 = nullptr;

    // File dialogs
    QFileDialog* m_OpenDialog1 = nullptr;
    QFileDialog* m_SaveDialog1 = nullptr;
    QFileDialog* m_SavePictureDialog1 = nullptr;
    QFileDialog* m_OpenDialog2 = nullptr;
    QFileDialog* m_SaveDialog2 = nullptr;

    // The About window, created hidden with the main window and owned by it.
    TForm1* m_Form1 = nullptr;
};
