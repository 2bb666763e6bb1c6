#pragma once

#include "base/Reading.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QTime>
#include <cstdint>
#include <span>

class MeasurementTable;
class TChartControl;
class UserMessages;
struct ProgramState;

// The record bar's controls the recorder reads, and the one a download switches off.
class RecordingControls {
public:
    virtual ~RecordingControls() = default;

    virtual bool repeatTicked() const = 0;      // RepeatSet
    virtual bool samplingTicked() const = 0;    // RecordSI
    virtual QByteArray intervalText() const = 0;  // RecordSITime
    // A download records every stored reading, so it unticks the sampling interval.
    virtual void switchOffSamplingInterval() = 0;
};

// The start-time panel's Recall box: ticked, every row is stamped with the start time.
class StartTimeControls {
public:
    virtual ~StartTimeControls() = default;

    virtual bool recallTicked() const = 0;
};

// A row the recorder appended: the table's texts and the reading's value as a number.
struct RecordedRow {
    int32_t no;
    QByteArray time;
    QByteArray value;
    QByteArray unit;
    float reading;
};

// What else the recorder reaches around it: the start-time panel, the clock, the chart's page
// label and the save command, and whoever keeps the rows it records.
class RecorderHost {
public:
    virtual ~RecorderHost() = default;

    virtual bool recallTicked() const = 0;      // RecallCheck of the start-time panel
    virtual QTime currentTimeOfDay() const = 0;  // local time
    virtual void setPageLabel(int32_t page) = 0;  // caption of Bt10
    virtual void runSave() = 0;  // the save command of the Record menu
    // Every row the recorder appends, and every emptying of the table.
    virtual void rowRecorded(const RecordedRow&) {}
    virtual void recordingEmptied() {}
    // Rows recorded since the last save that nothing but the table keeps, while the journal cannot write.
    virtual int64_t unkeptRows() const { return 0; }
};

// Turns readings into rows of the measurement table and points of the chart, under the record
// limit, the sampling interval and the Repeat filter. Reads and writes the shared state; every
// recorded value becomes a point of the pager's chart.
class Recorder {
public:
    // locale gives the time separator of the Time column.
    Recorder(ProgramState& state, MeasurementTable& table, TChartControl& pager, RecordingControls& controls,
             RecorderHost& host, UserMessages& messages, const QLocale& locale = QLocale::system());

    // Once per decoded frame.
    void recordReading(const Reading& reading);

    // Rows an earlier run recorded and the table got back: they count towards the record limit,
    // and their readings go on the chart as if they had just been recorded, with the same pages,
    // page label and value axis.
    void takeRestoredRows(std::span<const float> readings);

    // The record-limit menu's choice.
    void chooseRecordLimit(int32_t limit);

    // Rows at or past the limit stop recording, so this asks at once, as reaching the limit does,
    // rather than leave readings silently unrecorded: after a lower limit, or a restored recording
    // longer than the limit.
    void checkRecordLimit();

    // One tick of the one-second sampling timer.
    void tickSamplingTimer();

    // The interval box or a start-time box changed: wait one whole interval from now.
    void restartSamplingCountdown();

    // Asks whether to drop the table's rows; on Yes starts a new recording.
    void closeData();
    int64_t unkeptRows() const { return m_host.unkeptRows(); }

    // Empties the table and the chart and numbers from 1 again. The Repeat filter's last
    // reading, the peak, the countdown and the limit are kept.
    void startNewRecording();

private:
    QByteArray timeText() const;
    void raisePeak(double value);
    void promptAtLimit();

    ProgramState& m_state;
    MeasurementTable& m_table;
    TChartControl& m_pager;
    RecordingControls& m_controls;
    RecorderHost& m_host;
    UserMessages& m_messages;
    QLocale m_locale;
};
