// Readings through the real main window: LcdDisplay81 decodes the frame onto the LCD panel,
// the recorder appends the row to the table, the grid's model takes it in and selects it, and
// the chart pager plots it. Sampling interval off, Repeat ticked, record limit "limitless".
//
// One iteration is one reading: Time is its cost, items_per_second the readings per second.
// Arg: rows already recorded. The cost of one reading should not grow with it. The largest
// case stops a fixed number of readings short of ten million, since the limitless item is a
// limit all the same and the prompt would stop recording there.
//
// The rows are pre-filled through the same LcdDisplay81 path, with the grid showing an empty
// stand-in model meanwhile to keep the fill short. The grid gets the table's model back before
// the measured readings, so they pay what the grid costs: a table view recomputes every row's
// position when rows are inserted, which the model limits to one batch per 100 ms once the
// table is large.
//
// BM_WindowReading counts the handler alone, as when frames arrive faster than the window
// paints; BM_WindowReadingPainted adds one pass of the event loop per reading with the window
// shown, so the LCD, the grid and the chart are repainted for each one, as at the cable's pace.
#include "AnsweredMessages.h"
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "dialogs/PlatformMessageBox.h"
#include "font/LcdFont.h"
#include "NamedControl.h"
#include "record/MeasurementGrid.h"
#include "record/MeasurementTable.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

// Nothing should prompt below the limit; should anything, it is answered, not waited for.
AnsweredMessages& benchDialogs()
{
    static AnsweredMessages dialogs;
    return dialogs;
}

constexpr int kReadings = 2000;

// Live frames whose readings differ, as a changing temperature gives them.
QByteArray frameFor(int64_t i)
{
    static const QByteArray kDigits[] = {"A253", "A254", "A256", "A255", "B123", "1571", "A0FA"};
    return "A1" + kDigits[i % std::size(kDigits)] + "0000";
}

std::unique_ptr<TFCOMM> recordingWindow(int64_t rows, bool shown)
{
    auto window = std::make_unique<TFCOMM>(benchDialogs());
    named<QCheckBox>(*window, "RecordSI")->setChecked(false);
    named<QCheckBox>(*window, "RepeatSet")->setChecked(true);
    named<QAction>(*window, "limitess")->trigger();
    if (shown)
        window->show();
    QElapsedTimer clock;
    clock.start();
    QAbstractItemModel* data1 = named<QTableView>(*window, "DBGrid1")->model();
    QStandardItemModel standIn;
    named<QTableView>(*window, "DBGrid1")->setModel(&standIn);
    for (int64_t i = 0; i < rows; ++i) {
        window->state().FrameText = frameFor(i);
        window->LcdDisplay81(1);
    }
    named<QTableView>(*window, "DBGrid1")->setModel(data1);
    MeasurementGrid::applyColumnWidths(named<QTableView>(*window, "DBGrid1"));
    QCoreApplication::processEvents();
    if (rows > 0)
        std::printf("  pre-filled %lld rows through LcdDisplay81 (grid detached) in %.1f s\n", static_cast<long long>(rows),
                    clock.elapsed() / 1000.0);
    return window;
}

void run(benchmark::State& s, bool painted)
{
    const int64_t prefilled = s.range(0);
    std::unique_ptr<TFCOMM> window = recordingWindow(prefilled, painted);
    int64_t i = prefilled;
    for (auto _ : s) {
        window->state().FrameText = frameFor(i++);
        window->LcdDisplay81(1);
        if (painted)
            QCoreApplication::processEvents();
    }
    if (named<MeasurementTable>(*window, "cds1")->rowCount() != prefilled + s.iterations())
        s.SkipWithError("a reading was not recorded");
    s.SetItemsProcessed(s.iterations());
    s.counters["rows"] = double(named<MeasurementTable>(*window, "cds1")->rowCount());
}

void BM_WindowReading(benchmark::State& s)
{
    run(s, false);
}
void BM_WindowReadingPainted(benchmark::State& s)
{
    run(s, true);
}

constexpr int64_t kLargest = 10000000 - kReadings;
BENCHMARK(BM_WindowReading)->Arg(1000)->Arg(100000)->Arg(kLargest)->Iterations(kReadings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowReadingPainted)->Arg(1000)->Arg(100000)->Arg(kLargest)->Iterations(kReadings)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TqApplication app(argc, argv, benchDialogs());
    registerLcdFont();
    benchDialogs().answerBox = [](const AnsweredMessages::Box&) { return int(PlatformMessageBox::IDCANCEL); };
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
