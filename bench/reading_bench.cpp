// The road of one live reading: decoding a frame onto the LCD panel and recording it into the
// table and the chart. The cable delivers some twenty frames a second at 2400 baud; these
// figures show how far below that budget a reading stays, and that recording does not slow
// down as the table fills towards the largest record limit.
#include "AnsweredMessages.h"
#include "chart/ChartEngine.h"
#include "chart/ConnectionIndicator.h"
#include "chart/TChartControl.h"
#include "display/FrameDecoder.h"
#include "display/LcdPanel.h"
#include "session/ReadingPipeline.h"
#include "record/MeasurementTable.h"
#include "record/RecordBar.h"
#include "record/Recorder.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

class BenchControls : public RecordingControls, public RecorderHost {
public:
    bool repeatTicked() const override { return true; }
    bool samplingTicked() const override { return false; }
    QByteArray intervalText() const override { return "1"; }
    void switchOffSamplingInterval() override {}
    bool recallTicked() const override { return false; }
    QTime currentTimeOfDay() const override { return QTime(12, 34, 56); }
    void setPageLabel(int32_t) override {}
    void runSave() override {}
};

const QByteArray kFrames[] = {"A1A2530000", "A3B1230000", "A015710000", "A1A0FA0000", "A0BBBB0000"};

// Everything a recorded reading touches, with the limit at "limitless".
struct RecordingRig {
    RecordingRig() : pager(chart, 100)
    {
        recorder.setLimit(10000000);
        settings.DecimalText = ".";
    }

    void prefill(int rows)
    {
        for (int i = 0; i < rows; ++i) {
            recorder.recordReading(applyReading(decodeFrame(kFrames[i % std::size(kFrames)], ".", 855, -50), current));
        }
    }

    DecodeSettings settings;
    Reading current;
    MeasurementTable table;
    ChartEngine chart;
    TChartControl pager;
    BenchControls controls;
    AnsweredMessages messages;
    Recorder recorder{table, pager, controls, controls, messages, QLocale::c()};
};

void BM_DecodeFrame(benchmark::State& s)
{
    size_t i = 0;
    for (auto _ : s)
        benchmark::DoNotOptimize(decodeFrame(kFrames[i++ % std::size(kFrames)], ".", 855, -50));
    s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_DecodeFrame);

// Arg: rows already in the table. Per-reading time should not depend on it. A fixed count of
// readings keeps the largest case below the record limit.
void BM_RecordReading(benchmark::State& s)
{
    RecordingRig rig;
    rig.prefill(int(s.range(0)));
    const Reading reading{" 25.3", 25.3f, "#"};
    for (auto _ : s)
        rig.recorder.recordReading(reading);
    s.SetItemsProcessed(s.iterations());
    s.counters["rows"] = rig.table.rowCount();
    s.counters["table_MB"] = double(rig.table.memoryUsage()) / 1e6;
}
BENCHMARK(BM_RecordReading)->Arg(0)->Arg(8000000)->Iterations(1000000)->Unit(benchmark::kMicrosecond);

struct NoIndicator : ConnectionIndicator {
    void toggleConnectionIndicator() override {}
    void showNotConnected() override {}
};

// The whole road: decoder, LCD panel, current reading and recorder, as the window runs it for each frame.
void BM_DecodeOntoPanelAndRecord(benchmark::State& s)
{
    QWidget window;
    LcdPanel panel(&window);
    RecordBar bar(&window);
    NoIndicator indicator;
    RecordingRig rig;
    ReadingPipeline pipeline(rig.settings, indicator, panel, bar, rig.recorder);
    size_t i = 0;
    for (auto _ : s)
        pipeline.decodeFrame(kFrames[i++ % std::size(kFrames)]);
    s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_DecodeOntoPanelAndRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
