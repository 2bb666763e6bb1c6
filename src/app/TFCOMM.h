#pragma once

#include "ProgramState.h"

#include <QByteArray>
#include <QMainWindow>

class BevelPanel;
class LcdDot;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
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

// The main window. It owns every control, component and timer, each under its own name as
// objectName and as an m_ member, and the one ProgramState that the handlers share.
class TFCOMM : public QMainWindow {
    Q_OBJECT
public:
    explicit TFCOMM(QWidget* parent = nullptr);
    ~TFCOMM() override;

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
