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
#include "record/Recorder.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"
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
#include <QTemporaryDir>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
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

std::unique_ptr<TFCOMM> recordingWindow(int64_t rows, bool shown, const QString& journalFolder = {})
{
    auto window = std::make_unique<TFCOMM>(benchDialogs(), nullptr, onBoardComPortPath, journalFolder);
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
        window->session().readings().frameClosed(frameFor(i));
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
        window->session().readings().frameClosed(frameFor(i++));
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

qint64 threadCpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The GUI thread's cost of keeping every reading in the journal: the same readings through a
// window with and without one, alternating rounds so both meet the same machine. The CPU time of
// the GUI thread is its cost; the wall time also holds what the journal's writer thread, busy on
// the other core at this rate, takes from it on a small machine.
void compareJournalCost()
{
    constexpr int kRounds = 5;
    constexpr int kPerRound = 4000;
    qint64 wall[2] = {0, 0};
    qint64 cpu[2] = {0, 0};
    for (int round = 0; round < kRounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            // One window at a time: a program has one HID controller.
            QTemporaryDir folder;
            std::unique_ptr<TFCOMM> window = recordingWindow(1000, false, which == 0 ? QString() : folder.path());
            QElapsedTimer clock;
            clock.start();
            const qint64 cpuAtStart = threadCpuNanoseconds();
            for (int i = 0; i < kPerRound; ++i) {
                window->session().readings().frameClosed(frameFor(1000 + i));
                window->LcdDisplay81(1);
            }
            cpu[which] += threadCpuNanoseconds() - cpuAtStart;
            wall[which] += clock.nsecsElapsed();
        }
    }
    constexpr double kReadings = kRounds * kPerRound;
    std::printf("GUI thread per reading without the journal: %.2f us CPU, %.2f us wall; with it: %.2f us CPU, "
                "%.2f us wall\n",
                cpu[0] / kReadings / 1000, wall[0] / kReadings / 1000, cpu[1] / kReadings / 1000,
                wall[1] / kReadings / 1000);
    std::printf("journal cost on the GUI thread (wall): %.2fx\n", double(wall[1]) / double(wall[0]));
    std::printf("journal cost on the GUI thread: %.2fx\n", double(cpu[1]) / double(cpu[0]));
}

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
    compareJournalCost();
    return 0;
}
