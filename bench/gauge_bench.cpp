// Redrawing the dial gauge's scale, which every keystroke in a limit box does: 801 band dots,
// 9 labels and 9 major dots. On the form's own small picture and on the enlarged one, to show
// how much of the cost is the marks' arithmetic and how much the painting.
#include "display/DialGauge.h"
#include "display/GaugeGeometry.h"
#include "display/GaugeScale.h"
#include "display/LimitSettings.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

struct BenchSurface : GaugeSurface {
    QSize panel;
    QImage image;
    BenchSurface(QSize panelSize, QSize pictureSize) : panel(panelSize), image(pictureSize, QImage::Format_RGB32) {}
    QSize panelSize() const override { return panel; }
    QColor panelBackground() const override { return Qt::white; }
    QImage& picture() override { return image; }
    void pictureChanged() override {}
};

struct BothLimitsOn : LimitSwitches {
    bool upperLimitOn() const override { return true; }
    bool lowerLimitOn() const override { return true; }
};

GaugeSettings startUpSettings()
{
    GaugeSettings settings;
    settings.GaugeText = "4";
    settings.GaugeParam1 = 60;
    settings.GaugeScaleMax = 80;
    return settings;
}

// The marks alone, without painting.
void BM_ScaleMarks(benchmark::State& run)
{
    const GaugeGeometry geometry(QSize(914, 560));
    GaugeScaleSettings settings;
    settings.upperLimitOn = true;
    settings.upperLimit = 100;
    for (auto _ : run)
        benchmark::DoNotOptimize(gaugeScaleMarks(geometry, settings));
}
BENCHMARK(BM_ScaleMarks)->Unit(benchmark::kMicrosecond);

// Arguments: panel width and height; the picture is the panel less its 1-pixel bevel.
void BM_DrawScale(benchmark::State& run)
{
    const QSize panel(int(run.range(0)), int(run.range(1)));
    BenchSurface surface(panel, panel - QSize(2, 2));
    BothLimitsOn switches;
    LimitSettings limits({.redrawScale = [] {}, .reportError = [](const QString&) {}});
    limits.readUpperLimit("100");
    DialGauge gauge(surface, switches, limits);
    gauge.settings() = startUpSettings();
    for (auto _ : run)
        gauge.drawScale();
}
BENCHMARK(BM_DrawScale)->Args({33, 38})->Args({440, 200})->Args({914, 560})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
