// The road of a reading without the main window: report bytes through the framer, the decoder,
// the LCD copy, the recorder, the table and the chart pager.
#include "AnsweredMessages.h"
#include "base/LocaleTexts.h"
#include "base/ProgramError.h"
#include "chart/ChartEngine.h"
#include "chart/ConnectionIndicator.h"
#include "chart/TChartControl.h"
#include "display/FrameDecoder.h"
#include "display/LcdPanel.h"
#include "link/ReportFramer.h"
#include "session/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "record/RecordBar.h"
#include "record/Recorder.h"

#include <QLabel>
#include <QTest>
#include <QWidget>

#include <vector>

namespace {

struct CountingIndicator : ConnectionIndicator {
    int blinks = 0;
    void toggleConnectionIndicator() override { ++blinks; }
    void showNotConnected() override {}
};

struct QuietHost : RecorderHost {
    int page = 0;
    bool recallTicked() const override { return false; }
    QTime currentTimeOfDay() const override { return QTime(9, 8, 7); }
    void setPageLabel(int32_t p) override { page = p; }
    void runSave() override {}
};

// The cable's side of the framer: live mode, and nothing to release.
struct LiveCable : ConnectionControls, FrameDiagnostics, ReportFramer::Cable {
    bool connectTicked() const override { return true; }
    void releaseConnectToggle() override {}
    void setConnectCaption(const QString&) override {}
    bool downloadTicked() const override { return false; }
    void setDownloadEnabled(bool) override {}
    void sendStopCommand() override {}
    void showFrameText(const QByteArray&) override {}
    void showMarkedFrameText(const QByteArray&) override {}
    void addHistoryLine(const QByteArray&) override {}
    void releaseSyncHandle() override {}
};

// Everything a reading passes through, real but for the indicator, the clock and the prompts.
struct Road {
    Road() : pager(chart, 100)
    {
        settings.DecimalText = ".";
        bar.switchOffSamplingInterval();  // every reading becomes a row
        pipeline.setOnFrameDecoded([this] { ++framesHeard; });
    }

    QString digits() const
    {
        QString shown;
        for (const char* name : {"LcdD4", "LcdD3", "LcdD2", "LcdD1"})
            shown += lcd.findChild<QLabel*>(name)->text();
        return shown;
    }
    bool shown(const char* name) const { return !lcd.findChild<QWidget*>(name)->isHidden(); }
    QByteArray row(int index) const
    {
        const MeasurementRow r = table.row(index);
        return QByteArray::number(*r.no()) + "|" + r.time()->toByteArray() + "|" + r.value()->toByteArray() + "|"
               + r.unit()->toByteArray();
    }

    DecodeSettings settings;
    int framesHeard = 0;
    MeasurementTable table;
    ChartEngine chart;
    TChartControl pager;
    QWidget parent;
    LcdPanel lcd{&parent};
    RecordBar bar{&parent};
    CountingIndicator indicator;
    QuietHost host;
    AnsweredMessages messages;
    Recorder recorder{table, pager, bar, host, messages, QLocale::c()};
    ReadingPipeline pipeline{settings, indicator, lcd, bar, recorder};
};

// The nine digits and CR LF of one meter frame as the cable's input reports carry them: a
// count of payload bytes, then the bytes (each digit in the low nibble), then an empty report.
std::vector<std::vector<uint8_t>> cableReports(const char* digits)
{
    std::vector<uint8_t> bytes;
    for (const char* d = digits; *d; ++d)
        bytes.push_back(uint8_t(0x30 | (*d >= 'A' ? *d - 'A' + 10 : *d - '0')));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    std::vector<std::vector<uint8_t>> reports;
    for (size_t at = 0; at < bytes.size(); at += 4) {
        std::vector<uint8_t> report{uint8_t(std::min<size_t>(4, bytes.size() - at))};
        report.insert(report.end(), bytes.begin() + long(at), bytes.begin() + long(std::min(at + 4, bytes.size())));
        reports.push_back(report);
    }
    reports.push_back({0});
    return reports;
}

}  // namespace

class ReadingPipelineTest : public QObject {
    Q_OBJECT

private slots:
    void reportBytesBecomeLcdTextsARowAndAChartPoint()
    {
        Road road;
        LiveCable cable;
        ReportFramer framer(cable, cable, road.pipeline, cable);
        // Status 1 (point before the last digit, Celsius), a dark digit and 253, type code AD01.
        for (const auto& report : cableReports("1A2530100"))
            framer.handleReport(0, report.data(), uint16_t(report.size()));

        QCOMPARE(road.indicator.blinks, 1);
        QCOMPARE(road.framesHeard, 1);
        QCOMPARE(road.pipeline.frameText(), QByteArray("A1A2530100D"));
        QCOMPARE(road.digits(), QString(" 253"));
        QVERIFY(road.shown("LcdP2"));
        QVERIFY(road.shown("LCDC"));
        QCOMPARE(road.table.rowCount(), 1);
        QCOMPARE(road.row(0), QByteArray("1|09:08:07| 25.3|#"));
        // The chart starts with a point at 0.
        QCOMPARE(road.chart.series(0).count(), 2);
        QCOMPARE(road.chart.series(0).value(1), double(25.3f));
        QCOMPARE(road.host.page, 1);
    }

    void dashesAreRecordedWithThePreviousValue()
    {
        Road road;
        road.pipeline.decodeFrame("A3B123");
        road.pipeline.decodeFrame("A1BBBB");
        QCOMPARE(road.table.rowCount(), 2);
        QCOMPARE(road.row(0), QByteArray("1|09:08:07|-12.3|?"));
        QCOMPARE(road.row(1), QByteArray("2|09:08:07|----|#"));
        QCOMPARE(road.chart.series(0).value(2), double(-12.3f));
        QCOMPARE(road.indicator.blinks, 2);
    }

    // The LCD and the reading text follow a frame whose digits are no number; the value, the
    // table and the chart do not, and the error reaches the caller after the LCD was drawn.
    void digitsThatAreNoNumberShowButAreNotRecorded()
    {
        Road road;
        road.pipeline.decodeFrame("A10425");
        QCOMPARE(road.pipeline.currentReading().value, 42.5f);
        try {
            road.pipeline.decodeFrame("A212C4");
            QFAIL("no conversion error");
        } catch (const ProgramError& e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("'12C4' is not a valid integer value"));
        }
        QCOMPARE(road.digits(), QString("12C4"));
        QVERIFY(road.shown("LCDF"));
        QCOMPARE(road.indicator.blinks, 2);
        QCOMPARE(road.pipeline.currentReading().text, QByteArray("12C4"));
        QCOMPARE(road.pipeline.currentReading().unitSymbol, QByteArray("?"));
        QCOMPARE(road.framesHeard, 2);
        QCOMPARE(road.pipeline.currentReading().value, 42.5f);
        QCOMPARE(road.table.rowCount(), 1);
        QCOMPARE(road.chart.series(0).count(), 2);
    }
};

QTEST_MAIN(ReadingPipelineTest)
#include "ReadingPipelineTest.moc"
