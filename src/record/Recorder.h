#pragma once

#include "base/Reading.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>
#include <span>

class MeasurementTable;
class TChartControl;
class UserMessages;

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
// limit, the sampling interval and the Repeat filter, and owns what those rules count; every
// recorded value becomes a point of the pager's chart.
class Recorder {
public:
    // locale gives the time separator of the Time column.
    Recorder(MeasurementTable& table, TChartControl& pager, RecordingControls& controls,
             RecorderHost& host, UserMessages& messages, const QLocale& locale = QLocale::system());

    // Once per decoded frame.
    void recordReading(const Reading& reading);

    // Rows an earlier run recorded and the table got back, the last of them numbered lastNo:
    // they count towards the record limit, numbering goes on after them, and their readings go
    // on the chart as if they had just been recorded, with the same pages, page label and value
    // axis.
    void takeRestoredRows(std::span<const float> readings, std::optional<int32_t> lastNo);

    // The record-limit menu's choice.
    void setLimit(int32_t limit);

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

    int32_t recordNo() const { return m_RecordNo; }
    int32_t rowCount() const { return m_RowCount; }
    int32_t recordLimit() const { return m_RecordLimit; }
    int32_t sampleTick() const { return m_SampleTick; }
    double peakValue() const { return m_PeakValue; }
    double startTime() const { return m_StartTime; }
    // The time Recall stamps every row with, in days since 1899-12-30 (the fraction is the time
    // of day).
    void setStartTime(double days) { m_StartTime = days; }

private:
    QByteArray timeText() const;
    void raisePeak(double value);
    void promptAtLimit();

    MeasurementTable& m_table;
    TChartControl& m_pager;
    RecordingControls& m_controls;
    RecorderHost& m_host;
    UserMessages& m_messages;
    QLocale m_locale;

    int32_t m_RecordNo = 1;        // the No the next sampled reading takes, dropped or not
    // Rows appended since the table was last emptied; the limit prompt, once asked, counts one
    // more, so it is not asked again.
    int32_t m_RowCount = 0;
    int32_t m_RecordLimit = 10000;
    int32_t m_SampleTick = 0;      // whole seconds the sampling interval still holds readings back
    double m_StartTime = 0.0;
    // The Repeat filter's memory: the text and unit glyph of the last reading recorded.
    QByteArray m_TimeText;
    double m_PeakValue = 0.0;      // the highest reading recorded; the value axis grows with it
};
