#pragma once

#include "chart/ChartEngine.h"
#include "chart/TChartControl.h"
#include "display/FrameDecoder.h"
#include "record/Recorder.h"
#include "serial/ComPortPaths.h"
#include "session/SessionPorts.h"

#include <QObject>

#include <functional>
#include <memory>

class CableConnection;
class HidBackend;
class MeasurementTable;
class ReadingPipeline;
class SerialLink;
class RecordingJournal;
class TSerialPortDriver;
struct JournalRecording;

// One measurement without any window: the decode settings, the measurement table, the chart's
// data and its pager, the recorder, the road a reading takes, and both links to the instrument,
// the USB cable and the serial port. It reaches the screen only through the ports it is given
// and tells it the rest by signals. Lives on the GUI thread.
//
// Every row enters the table through the recorder or a file load and leaves it through
// startNewRecording, so the table's own signals are the one place to watch them pass.
class MeasurementSession : public QObject, private RecorderHost {
    Q_OBJECT
public:
    // The HID backend is the platform's unless another one (a simulated bus) is given; the
    // serial ports are the on-board ones unless other paths are given. Every recorded row is
    // kept in the recording journal in journalFolder; without a folder nothing is kept. Lists
    // the HID devices present at once, through the ports.
    MeasurementSession(const SessionPorts& ports, std::shared_ptr<HidBackend> hidBackend, ComPortPaths comPorts,
                       const QString& journalFolder = {}, QObject* parent = nullptr);
    // Gives the claimed devices back and stops their readers first, while the ports they reach
    // still exist.
    ~MeasurementSession() override;

    DecodeSettings& decodeSettings() { return m_decodeSettings; }
    const DecodeSettings& decodeSettings() const { return m_decodeSettings; }
    MeasurementTable& table() const { return *m_table; }
    const ChartEngine& chart() const { return m_chart; }
    TChartControl& pager() { return m_pager; }
    const TChartControl& pager() const { return m_pager; }
    Recorder& recorder() const { return *m_recorder; }
    ReadingPipeline& readings() const { return *m_readings; }
    CableConnection& cable() const { return *m_cable; }
    TSerialPortDriver& serialPort() const { return *m_serialPort; }
    SerialLink& serialLink() const { return *m_serialLink; }
    // Null without a journal folder.
    RecordingJournal* journal() const { return m_journal; }

    // Decodes the last frame a link closed onto the LCD and records its reading.
    void decodeFrameText();
    // Empties the table and the chart and numbers from 1 again (a new download does this).
    void startNewRecording();

    // How a long restore shows that it is working, as the window's DelayedProgress does: told
    // between blocks of rows how many of the total are back (a restore cannot be cancelled, so
    // the answer is not heeded), and taken down before the restore says anything more.
    struct RestoreProgress {
        std::function<bool(qint64 done, qint64 total)> step;
        std::function<void()> close;
    };
    static constexpr int kRestoreBlockRows = 4096;

    // At start-up: when an earlier run left a recording with rows neither saved nor emptied,
    // asks whether to restore it; Yes puts its rows back into the table with their numbers and
    // goes on recording into it, No keeps it in the journal and never asks for it again. A
    // restore is whole or not done: when any row cannot be read the table stays empty, the
    // user is told why, and the recording is offered again at the next start.
    void offerRestore(const RestoreProgress& progress = {});
    // What a save started now holds, and the mark that it succeeded.
    int64_t savePoint() const;
    void tableSaved(int64_t savePoint);
    // Rows recorded since the last successful save while the journal cannot keep readings: the
    // table alone holds them. None while the journal keeps readings, or without a journal.
    int64_t unkeptRows() const override;

signals:
    // The chart shows this page after a recorded point.
    void pageShown(int32_t page);
    // The record limit was reached and the user chose to save the table.
    void saveAsked();

private:
    // RecorderHost
    bool recallTicked() const override;
    QTime currentTimeOfDay() const override;
    void setPageLabel(int32_t page) override;
    void runSave() override;
    void rowRecorded(const RecordedRow& row) override;
    void recordingEmptied() override;

    void startMeasurementState();
    // Puts the recording's rows into the table; false, with the table as it was, when any of
    // them could not be read.
    bool restoreRows(const JournalRecording& recording, const RestoreProgress& progress, QString* failure);
    // The local date and time with its offset from UTC, as a reading is stamped with it.
    QDateTime now();

    SessionPorts m_ports;
    DecodeSettings m_decodeSettings;
    ChartEngine m_chart;
    TChartControl m_pager{m_chart, 100};
    MeasurementTable* m_table = nullptr;  // cds1, a child
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<ReadingPipeline> m_readings;
    CableConnection* m_cable = nullptr;  // a child
    TSerialPortDriver* m_serialPort = nullptr;  // COMM2, a child
    std::unique_ptr<SerialLink> m_serialLink;
    RecordingJournal* m_journal = nullptr;  // a child, or none
    qint64 m_offsetMinute = -1;
    int m_utcOffset = 0;
};
