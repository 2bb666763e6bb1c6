// Soak run of the whole road of a live reading: the simulated cable in fast mode, the real HID
// layer with its reader thread, the framer, the decoder, the recorder, the table, the grid and
// the chart of the real main window (offscreen). Prints frames per second and peak memory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/live_road_soak [frames, default 1000000]
#include "AnsweredMessages.h"
#include "app/TFCOMM.h"
#include "record/Recorder.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"
#include "chart/ChartEngine.h"
#include "font/LcdFont.h"
#include "link/HidControllerClass.h"
#include "NamedControl.h"
#include "record/MeasurementTable.h"
#include "sim/SimulatedHidBackend.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>

namespace {

long statusKiB(const char* field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(strlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerLcdFont();
    const long frames = argc > 1 ? std::atol(argv[1]) : 1'000'000;

    AnsweredMessages dialogs;

    auto bus = std::make_shared<SimulatedHidBackend>(
        SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
    SimulatedCable::Options cable;
    cable.thermometer.liveFrameIntervalUs = 0;  // frames back to back, as fast as the line allows
    bus->plugCable(cable);

    TFCOMM window(dialogs, bus);
    named<QCheckBox>(window, "RecordSI")->setChecked(false);
    named<QAction>(window, "limitess")->trigger();  // ten million rows
    // Not shown: painting is not part of the road, and at real rates it is coalesced anyway.

    const long baseline = statusKiB("VmRSS:");

    named<QToolButton>(window, "USBCon")->click();
    QElapsedTimer clock;
    clock.start();
    long nextReport = 1000;
    while (window.session().recorder().rowCount() < frames) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.session().recorder().rowCount() >= nextReport) {
            const double seconds = clock.elapsed() / 1000.0;
            std::printf("%9d frames  %8.0f frames/s  peak RSS %7ld KiB  (+%ld KiB, table %lld bytes)\n",
                        window.session().recorder().rowCount(), window.session().recorder().rowCount() / seconds, statusKiB("VmHWM:"),
                        statusKiB("VmHWM:") - baseline, (long long)named<MeasurementTable>(window, "cds1")->memoryUsage());
            std::fflush(stdout);
            nextReport *= 10;
        }
        if (!named<QToolButton>(window, "USBCon")->isChecked()) {
            std::fprintf(stderr, "connection dropped after %d frames\n", window.session().recorder().rowCount());
            return 1;
        }
    }
    const double seconds = clock.elapsed() / 1000.0;
    named<QToolButton>(window, "USBCon")->click();
    const long peak = statusKiB("VmHWM:");
    std::printf("%ld frames in %.1f s: %.0f frames/s; peak RSS %ld KiB, %ld KiB above the idle window; "
                "table %.1f bytes/row; history %d lines; messages shown %d\n",
                frames, seconds, frames / seconds, peak, peak - baseline,
                double(named<MeasurementTable>(window, "cds1")->memoryUsage()) / named<MeasurementTable>(window, "cds1")->rowCount(), named<QListWidget>(window, "HistoryListBox")->count(),
                int(dialogs.shown.size()));
    return 0;
}
