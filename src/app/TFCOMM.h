#pragma once

#include "app/HandlerGuard.h"
#include "serial/ComPortPaths.h"

#include <QByteArray>
#include <QMainWindow>

#include <cstdint>
#include <memory>

class ChartPanel;
class DiagnosticPanel;
class DialGauge;
class HidBackend;
class LcdPanel;
class LimitSettings;
class MainMenu;
class MeasurementSession;
class UserMessages;
class QFileDialog;
class QKeyEvent;
class QTableView;
class RecordBar;
class TForm1;
class TopBar;

// The main window. It builds the panels, which build their own controls under their given names,
// and the measurement session that does the work behind them, and keeps the handlers under their
// given names as one-line entries into the session and the panels.
class TFCOMM : public QMainWindow {
    Q_OBJECT
public:
    // Every message box and message dialog goes through the messages given. The HID backend is
    // the platform's unless another one (the simulated cable) is given; the serial ports are
    // the on-board ones unless other paths are given. Recorded rows are kept in the recording
    // journal in journalFolder; without one, only in the table.
    explicit TFCOMM(UserMessages& messages, std::shared_ptr<HidBackend> hidBackend = {},
                    ComPortPaths comPorts = onBoardComPortPath, const QString& journalFolder = {});
    ~TFCOMM() override;

    MeasurementSession& session() const { return *m_session; }
    // The named open or save dialog (OpenDialog1, OpenDialog2, SaveDialog1, SaveDialog2,
    // SavePictureDialog1), made the first time it is asked for; null for another name.
    QFileDialog* fileDialog(const QString& name);
    const DialGauge& gauge() const { return *m_gauge; }
    const LimitSettings& limitSettings() const { return *m_limitSettings; }
    // The report preview is open.
    bool printing() const { return m_Printing; }
    // At start-up: offers the recording an earlier run left unsaved, with a progress dialog
    // while a long one is put back.
    void restoreUnsavedRecording();

    // The USB link
    void USBConClick();
    void ReadBtnClick();
    void ClearBtnClick();
    void ConTimerTimer();
    void SetFeatureClick();
    void SendUSBData(uint8_t value);
    void SendDataClick();

    // The serial link
    void StartClick();
    void StopClick();
    void Bcom1Click();
    void BCOM2Click();
    void Button3Click();
    void BTCon1Click();
    void BtDiscon1Click();
    void COMConClick();
    void Button2Click();

    // The decimal separator of the user's locale, "" when the locale gives none.
    QByteArray GetDecimalText() const;
    void BitBtn1Click();
    void AboutClick();
    // Asks the user before the window closes; canClose says whether it may.
    void FormCloseQuery(bool& canClose);

    // Decodes FrameText onto the LCD panel and records the reading; the argument has no effect.
    void LcdDisplay81(int32_t unused);
    void INDataToTable();
    // Empties the table and the chart and numbers from 1 again (a new download does this).
    void StartNewRecording();
    void TrecordTimer();
    void RecordSITimeChange();
    // Whether a key pressed in a number box may reach it.
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
    void SpeedButton2Click();
    void BtPrintClick();
    // The hidden Print button's handler, which does nothing.
    void PrintClick();
    void BtSaveClick();
    void Help1Click();

    // The dial gauge and its limits; the argument of KDsetup has no effect.
    void KDsetup(int32_t unused);
    void KDrun(int32_t position);
    void KdFdClick();
    void KDResize();
    void SetmaxExit();
    void SetMinExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildPanels();
    void buildLeftColumn(QWidget* client);
    void createComponents();
    void createSession(std::shared_ptr<HidBackend> hidBackend, ComPortPaths comPorts, const QString& journalFolder);
    void createGauge();
    // Each area's controls are wired in the file of its handlers.
    void connectHandlers();
    void connectLinkHandlers();
    void connectSerialHandlers();
    void connectRecordHandlers();
    void connectFileHandlers();
    void connectPrintHandlers();
    void connectChartHandlers();
    void connectPictureHandlers();
    void connectHelpHandlers();
    void chooseRecordLimit(int32_t limit);
    void setFocusOrder();
    void giveMenuShortcutsPriority();

    // Connects a signal to one of the window's handlers; what escapes the handler is reported
    // there, never passed on to Qt.
    template <typename Sender, typename Signal>
    void handle(Sender* sender, Signal signal, void (TFCOMM::*handler)())
    {
        connect(sender, signal, this,
                [this, handler] { runReportingFailure(m_messages, [this, handler] { (this->*handler)(); }); });
    }

    UserMessages& m_messages;
    bool m_centred = false;
    bool m_Printing = false;

    // Panels, each a child widget of the window.
    DiagnosticPanel* m_diagnostics = nullptr;
    TopBar* m_topBar = nullptr;
    LcdPanel* m_lcd = nullptr;
    RecordBar* m_recordBar = nullptr;
    QTableView* m_grid = nullptr;  // DBGrid1
    ChartPanel* m_chart = nullptr;
    MainMenu* m_menu = nullptr;
    TForm1* m_about = nullptr;            // Form1

    // The measurement behind the panels; the table's grid model belongs to the session's table.
    MeasurementSession* m_session = nullptr;
    std::unique_ptr<LimitSettings> m_limitSettings;
    std::unique_ptr<DialGauge> m_gauge;
};
