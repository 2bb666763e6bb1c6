#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QTime>
#include <cstdint>

class MeasurementTable;
struct ProgramState;

// What the recorder needs from the main window's controls, so it runs without the window.
class RecordingControls {
public:
    virtual ~RecordingControls() = default;

    virtual bool repeatTicked() const = 0;      // RepeatSet
    virtual bool samplingTicked() const = 0;    // RecordSI
    virtual QByteArray intervalText() const = 0;  // RecordSITime
    virtual bool recallTicked() const = 0;      // RecallCheck of the start-time panel
    virtual QTime currentTimeOfDay() const = 0;  // local time
    virtual void setPageLabel(int32_t page) = 0;  // caption of Bt10
    // The platform message box (PlatformMessageBox flags in, its ID* result out).
    virtual int askUser(const QString& text, const QString& caption, unsigned flags) = 0;
    virtual void runSave() = 0;  // the save command of the Record menu
};

// Turns readings into rows of the measurement table and points of the chart, under the record
// limit, the sampling interval and the Repeat filter. Reads and writes the shared state; the
// chart is the state's ChartPager.
class Recorder {
public:
    // locale gives the time separator of the Time column.
    Recorder(ProgramState& state, MeasurementTable& table, RecordingControls& controls,
             const QLocale& locale = QLocale::system());

    // The current reading (ReadingText, ReadingValue, UnitSymbol), once per decoded frame.
    void recordReading();

    // One tick of the one-second sampling timer.
    void tickSamplingTimer();

    // The interval box or a start-time box changed: wait one whole interval from now.
    void restartSamplingCountdown();

    // Asks whether to drop the table's rows; on Yes starts a new recording.
    void closeData();

    // Empties the table and the chart and numbers from 1 again. The Repeat filter's last
    // reading, the peak, the countdown and the limit are kept.
    void startNewRecording();

private:
    QByteArray timeText() const;
    void raisePeak();
    void promptAtLimit();

    ProgramState& m_state;
    MeasurementTable& m_table;
    RecordingControls& m_controls;
    QLocale m_locale;
};
