// What the live road costs the whole program, with the real main window (offscreen) and the
// simulated cable through the real HID layer:
//
// 1. Memory per recorded reading: the process's heap in use (malloc's own count, mapped blocks
//    included) before and after 10^5 and 10^6 readings recorded as fast as the cable's line
//    allows; table, chart, grid, history and everything else the road keeps.
// 2. CPU at the real pace (a report every 10 ms, a frame every 500 ms) over a span of seconds,
//    from the threads' CPU times. The simulated cable makes its reports inside the reader
//    thread's reads, so that thread is left out and printed on its own line: its figure is an
//    upper bound of what the simulation costs.
// 3. Latency from a report that ends a frame being returned by the backend to the next paint of
//    the LCD digits, p50 and p99, with 10^3 rows and with a large table in the window. The framer
//    closes a frame at the first report without payload after it, 10 ms later at the cable's
//    pace, and a widget paints at the next refresh of the screen: those two are the floor.
//
// 4. Wake-ups per second of all the process's threads (voluntary context switches): idle, the
//    window open with no cable, and recording at the real pace.
//
//   build/bench/live_cost [seconds at real pace, default 60] [rows of the large table, default
//                         10^7 less 10^4]
//                         [readings for the memory figure, default 10^6; 0 leaves it out]
//                         [seconds idle, default 30]
#include "AnsweredMessages.h"
#include "app/TFCOMM.h"
#include "record/Recorder.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"
#include "font/LcdFont.h"
#include "link/HidBackend.h"
#include "NamedControl.h"
#include "record/MeasurementGrid.h"
#include "record/MeasurementTable.h"
#include "sim/SimulatedHidBackend.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int64_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return int64_t(info.uordblks + info.hblkhd);
}

// Voluntary context switches of each thread of this process, by name: each is a wake-up after
// the thread slept.
std::vector<std::pair<QByteArray, int64_t>> threadWakeups()
{
    std::vector<std::pair<QByteArray, int64_t>> threads;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        QByteArray name;
        int64_t switches = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                name = line.mid(5).trimmed();
            else if (line.startsWith("voluntary_ctxt_switches:"))
                switches = line.mid(24).trimmed().toLongLong();
        }
        threads.emplace_back(name + "/" + task.toLatin1(), switches);
    }
    return threads;
}

// Wake-ups per second between two readings of threadWakeups(), of the threads the filter keeps.
double wakeupsPerSecond(const std::vector<std::pair<QByteArray, int64_t>>& before,
                        const std::vector<std::pair<QByteArray, int64_t>>& after, double seconds,
                        const std::function<bool(const QByteArray&)>& counted)
{
    int64_t total = 0;
    for (const auto& [name, switches] : after) {
        if (!counted(name))
            continue;
        int64_t earlier = 0;
        for (const auto& [beforeName, beforeSwitches] : before)
            if (beforeName == name)
                earlier = beforeSwitches;
        total += switches - earlier;
    }
    return double(total) / seconds;
}

// The event loop alone, as the program runs it, for the given time: one timer ends it.
void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU seconds of each thread of this process, by name.
std::vector<std::pair<QByteArray, double>> threadCpu()
{
    std::vector<std::pair<QByteArray, double>> threads;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int open = line.indexOf('('), close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        // utime and stime are fields 14 and 15; the list starts at field 3.
        threads.emplace_back(line.mid(open + 1, close - open - 1), (fields[11].toDouble() + fields[12].toDouble()) / tick);
    }
    return threads;
}

// The simulated cable, with the time each report that ends a frame left the backend.
class StampingBackend : public HidBackend {
public:
    explicit StampingBackend(std::shared_ptr<HidBackend> inner) : m_inner(std::move(inner)) {}

    // Off, reports are not stamped: the stamps would count as memory the road keeps.
    void setStamping(bool on)
    {
        m_stamping = on;
        takeStamps();
    }
    std::vector<Clock::time_point> takeStamps()
    {
        std::lock_guard lock(m_lock);
        return std::exchange(m_stamps, {});
    }

    std::vector<HidInterfaceInfo> enumerate() override { return m_inner->enumerate(); }
    std::shared_ptr<HidHandle> open(const HidInterfaceInfo& device, HidAccess access, uint32_t& error) override
    {
        std::shared_ptr<HidHandle> handle = m_inner->open(device, access, error);
        return handle ? std::make_shared<Handle>(std::move(handle), *this) : nullptr;
    }
    bool watchChanges(std::function<void()> changed) override { return m_inner->watchChanges(std::move(changed)); }
    QByteArray errorText(uint32_t error) const override { return m_inner->errorText(error); }
    QByteArray accessProblem(const HidInterfaceInfo& device, uint32_t error) const override
    {
        return m_inner->accessProblem(device, error);
    }
    uint32_t notAttachedError() const override { return m_inner->notAttachedError(); }

private:
    class Handle : public HidHandle {
    public:
        Handle(std::shared_ptr<HidHandle> inner, StampingBackend& owner) : m_inner(std::move(inner)), m_owner(owner) {}
        bool getAttributes(HidAttributes& attributes) override { return m_inner->getAttributes(attributes); }
        bool getProductString(QString& text) override { return m_inner->getProductString(text); }
        bool getSerialNumberString(QString& text) override { return m_inner->getSerialNumberString(text); }
        std::optional<HidReportLengths> getReportLengths() override { return m_inner->getReportLengths(); }
        bool sendFeatureReport(std::span<const uint8_t> report) override { return m_inner->sendFeatureReport(report); }
        bool writeOutputReport(std::span<const uint8_t> report, uint32_t& written) override
        {
            return m_inner->writeOutputReport(report, written);
        }
        HidReadResult readInputReport(std::span<uint8_t> buffer, int timeoutMs) override
        {
            const HidReadResult result = m_inner->readInputReport(buffer, timeoutMs);
            // Report ID, count byte (low nibble: payload bytes), payload: a line feed ends a frame.
            if (m_owner.m_stamping && result.status == HidReadResult::Completed && buffer.size() > 2) {
                const size_t count = std::min<size_t>(buffer[1] & 0x0F, buffer.size() - 2);
                if (std::find(buffer.begin() + 2, buffer.begin() + 2 + count, uint8_t('\n')) != buffer.begin() + 2 + count) {
                    std::lock_guard lock(m_owner.m_lock);
                    m_owner.m_stamps.push_back(Clock::now());
                }
            }
            return result;
        }
        void cancel() override { m_inner->cancel(); }

    private:
        std::shared_ptr<HidHandle> m_inner;
        StampingBackend& m_owner;
    };

    std::shared_ptr<HidBackend> m_inner;
    std::atomic<bool> m_stamping{false};
    std::mutex m_lock;
    std::vector<Clock::time_point> m_stamps;
};

// Latency from each stamped report to the next paint of an LCD digit after it.
class LcdPaints : public QObject {
public:
    explicit LcdPaints(StampingBackend& backend) : m_backend(backend)
    {
        m_backend.setStamping(true);
        qApp->installEventFilter(this);
    }
    ~LcdPaints() override
    {
        qApp->removeEventFilter(this);
        m_backend.setStamping(false);
    }

    std::vector<double> millis;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName().startsWith(QLatin1String("LcdD"))) {
            // The newest frame is the one painted; an older one that left the digits as they
            // were needed no paint.
            const Clock::time_point now = Clock::now();
            const std::vector<Clock::time_point> stamps = m_backend.takeStamps();
            if (!stamps.empty())
                millis.push_back(std::chrono::duration<double, std::milli>(now - stamps.back()).count());
        }
        return false;
    }

private:
    StampingBackend& m_backend;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

struct Window {
    std::shared_ptr<SimulatedHidBackend> bus;
    std::shared_ptr<StampingBackend> stamping;
    std::unique_ptr<TFCOMM> window;
};

Window openWindow(AnsweredMessages& dialogs, SimulatedHidBackend::Pacing pacing, SimulatedCable::Options cable)
{
    Window opened;
    opened.bus = std::make_shared<SimulatedHidBackend>(SimulatedHidBackend::Options{pacing, 1.0});
    opened.bus->plugCable(cable);
    opened.stamping = std::make_shared<StampingBackend>(opened.bus);
    opened.window = std::make_unique<TFCOMM>(dialogs, opened.stamping);
    named<QCheckBox>(*opened.window, "RecordSI")->setChecked(false);
    named<QAction>(*opened.window, "limitess")->trigger();
    return opened;
}

// Runs the event loop, as the program does, until done() says so; it is asked every 50 ms.
void connectAndRun(TFCOMM& window, const std::function<bool()>& done)
{
    named<QToolButton>(window, "USBCon")->click();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(50);
    loop.exec();
}

// Rows through the decoder and recorder, as the framer hands frames on, with the grid detached
// meanwhile so that filling a large table stays short.
void prefill(TFCOMM& window, int64_t rows)
{
    static const QByteArray kDigits[] = {"A253", "A254", "A256", "A255", "B123", "1571", "A0FA"};
    auto* grid = named<QTableView>(window, "DBGrid1");
    QAbstractItemModel* model = grid->model();
    QStandardItemModel standIn;
    grid->setModel(&standIn);
    for (int64_t i = 0; i < rows; ++i) {
        window.session().readings().frameClosed("A1" + kDigits[i % std::size(kDigits)] + "0000");
        window.session().decodeFrameText();
    }
    grid->setModel(model);
    MeasurementGrid::applyColumnWidths(grid);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerLcdFont();
    const double realPaceSeconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    // Short of ten million: the limitless item is a limit all the same, and its prompt would stop
    // recording there.
    const int64_t largeRows = argc > 2 ? std::atoll(argv[2]) : 10'000'000 - 10'000;
    const int64_t memoryReadings = argc > 3 ? std::atoll(argv[3]) : 1'000'000;
    const double idleSeconds = argc > 4 ? std::atof(argv[4]) : 30.0;
    AnsweredMessages dialogs;

    // 4a. Idle: the window open, no cable, nothing to do.
    double idleWakeups = 0;
    {
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 1.0});
        TFCOMM window(dialogs, bus);
        window.show();
        runFor(1.0);  // start-up settles
        const auto before = threadWakeups();
        runFor(idleSeconds);
        idleWakeups = wakeupsPerSecond(before, threadWakeups(), idleSeconds, [](const QByteArray&) { return true; });
        std::printf("idle for %.0f s, no cable: %.2f wake-ups per second\n", idleSeconds, idleWakeups);
        std::fflush(stdout);
    }

    // 1. Memory per reading, frames back to back.
    double perReading = 0;
    {
        SimulatedCable::Options cable;
        cable.thermometer.liveFrameIntervalUs = 0;
        cable.thermometer.changePerSecond = 50;
        Window fast = openWindow(dialogs, SimulatedHidBackend::Pacing::Fast, cable);
        QCoreApplication::processEvents();
        const int64_t before = heapInUse();
        for (const int64_t readings : {memoryReadings / 10, memoryReadings}) {
            if (readings == 0)
                break;
            connectAndRun(*fast.window, [&] { return fast.window->session().recorder().rowCount() >= readings; });
            named<QToolButton>(*fast.window, "USBCon")->click();
            QCoreApplication::processEvents();
            const int64_t rows = fast.window->session().recorder().rowCount();
            perReading = double(heapInUse() - before) / double(rows);
            std::printf("heap per reading at %lld readings: %.1f B (table alone %.1f B)\n", (long long)rows, perReading,
                        double(named<MeasurementTable>(*fast.window, "cds1")->memoryUsage()) / double(rows));
            std::fflush(stdout);
        }
    }

    // 2. CPU at the real pace, and 3. latency with a small table; then with a large one.
    double cpuPercent = 0;
    double p99Large = 0;
    double recordingWakeups = 0;
    for (const int64_t rows : {int64_t(1'000), largeRows}) {
        SimulatedCable::Options cable;
        cable.thermometer.changePerSecond = 5;  // every frame changes the LCD's digits
        Window live = openWindow(dialogs, SimulatedHidBackend::Pacing::RealTime, cable);
        QElapsedTimer fill;
        fill.start();
        prefill(*live.window, rows);
        live.window->show();
        QCoreApplication::processEvents();
        std::printf("%lld rows in the table (filled in %.1f s)\n", (long long)rows, fill.elapsed() / 1000.0);
        LcdPaints paints(*live.stamping);
        const auto cpuBefore = threadCpu();
        const auto wakeupsBefore = threadWakeups();
        QElapsedTimer clock;
        clock.start();
        const double seconds = rows == 1'000 ? realPaceSeconds : std::min(realPaceSeconds, 20.0);
        named<QToolButton>(*live.window, "USBCon")->click();
        runFor(seconds);
        const double wall = clock.elapsed() / 1000.0;
        const auto cpuAfter = threadCpu();
        const auto wakeupsAfter = threadWakeups();
        named<QToolButton>(*live.window, "USBCon")->click();
        double program = 0, reader = 0;
        for (const auto& [name, cpu] : cpuAfter) {
            double earlier = 0;
            for (const auto& [beforeName, beforeCpu] : cpuBefore)
                if (beforeName == name)
                    earlier = beforeCpu;
            // Qt names a thread after its class; the kernel keeps 15 characters of it.
            (name.startsWith("THidDeviceRead") ? reader : program) += cpu - earlier;
        }
        if (rows == 1'000) {
            auto isReader = [](const QByteArray& name) { return name.startsWith("THidDeviceRead"); };
            recordingWakeups = wakeupsPerSecond(wakeupsBefore, wakeupsAfter, wall, [](const QByteArray&) { return true; });
            std::printf("wake-ups per second recording: %.1f, of which the reader thread with the simulated cable "
                        "%.1f\n",
                        recordingWakeups, wakeupsPerSecond(wakeupsBefore, wakeupsAfter, wall, isReader));
            cpuPercent = 100.0 * program / wall;
            std::printf("cpu over %.0f s at real pace: program %.2f %%, reader thread with the simulated cable %.2f %%; "
                        "%d rows recorded\n",
                        wall, cpuPercent, 100.0 * reader / wall, live.window->session().recorder().rowCount() - int(rows));
        }
        const double p99 = percentile(paints.millis, 0.99);
        std::printf("report to LCD with %lld rows: p50 %.2f ms, p99 %.2f ms over %zu frames\n", (long long)rows,
                    percentile(paints.millis, 0.5), p99, paints.millis.size());
        std::fflush(stdout);
        p99Large = std::max(p99Large, p99);
    }
    std::printf("wakeups per second idle: %.2f\n", idleWakeups);
    std::printf("wakeups per second recording: %.1f\n", recordingWakeups);
    std::printf("memory per reading: %.0f B\n", perReading);
    std::printf("cpu at real pace: %.2f %%\n", cpuPercent);
    std::printf("report to LCD p99: %.2f ms\n", p99Large);
    return 0;
}
