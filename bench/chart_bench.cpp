// Cost of the chart as it grows.
//   cmake --build <build> --target chart_bench && <build>/bench/chart_bench
// With 10^3, 10^5 and 10^7 readings already plotted at 100 points per page, measures one new
// reading and one page flip, each with and without painting the chart into an image, and prints
// for each the slowest size over the fastest (CPU time): near 1 means the cost does not grow
// with the readings held.
#include "chart/ChartView.h"
#include "chart/TChartControl.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

double reading(int64_t i)
{
    return 25.0 + 30.0 * std::sin(double(i) / 9.0) + double(i % 7);
}

// The chart as the program shows it, holding `readings` readings.
struct PlottedChart {
    explicit PlottedChart(int64_t readings)
    {
        view.resize(583, 516);
        view.show();
        pager.SetYMaximum(100.0);
        pager.SetYMinimum(-50.0);
        for (int64_t i = 1; i <= readings; ++i)
            pager.AddPoint(reading(i));
        QCoreApplication::processEvents();
        next = readings + 1;
    }

    ChartEngine engine;
    ChartView view{engine};
    TChartControl pager{view.engine(), 100};
    int64_t next = 0;
};

void paint(ChartView& view)
{
    const QImage image = view.renderImage();
    benchmark::DoNotOptimize(image.constBits());
}

void BM_NewReading(benchmark::State& state)
{
    PlottedChart chart(state.range(0));
    for (auto _ : state) {
        chart.pager.AddPoint(reading(chart.next++));
        chart.view.refreshNow();
    }
}

void BM_NewReadingAndPaint(benchmark::State& state)
{
    PlottedChart chart(state.range(0));
    for (auto _ : state) {
        chart.pager.AddPoint(reading(chart.next++));
        paint(chart.view);
    }
}

void BM_PageFlip(benchmark::State& state)
{
    PlottedChart chart(state.range(0));
    bool back = true;
    for (auto _ : state) {
        back ? chart.pager.PreviousPage() : chart.pager.NextPage();
        back = !back;
        chart.view.refreshNow();
    }
}

void BM_PageFlipAndPaint(benchmark::State& state)
{
    PlottedChart chart(state.range(0));
    bool back = true;
    for (auto _ : state) {
        back ? chart.pager.PreviousPage() : chart.pager.NextPage();
        back = !back;
        paint(chart.view);
    }
}

#define CHART_SIZES ->Arg(1'000)->Arg(100'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_NewReading) CHART_SIZES;
BENCHMARK(BM_NewReadingAndPaint) CHART_SIZES;
BENCHMARK(BM_PageFlip) CHART_SIZES;
BENCHMARK(BM_PageFlipAndPaint) CHART_SIZES;

// Prints the usual table, then the spread of each benchmark over the sizes.
class SpreadReporter : public benchmark::ConsoleReporter {
public:
    SpreadReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_cpuTimes[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [name, times] : m_cpuTimes) {
            const auto [fastest, slowest] = std::minmax_element(times.begin(), times.end());
            std::printf("%-24s slowest / fastest size: %.2f\n", name.c_str(), *slowest / *fastest);
        }
    }

private:
    std::map<std::string, std::vector<double>> m_cpuTimes;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    SpreadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
