// Export of ten million rows, as the ratio of its throughput to that of writing the same number
// of bytes into the same folder with one large write:
//   cmake --build <build> --target export_bench && <build>/bench/export_bench [folder]
// The folder defaults to the system's temporary folder. A save flushes the file to disk before
// it replaces the old one, so the ratio is given against a plain write and against a write
// followed by the same flush. Each figure compares the fastest of five runs, which is the
// steadiest on a machine that is doing other work too.
#include "AnsweredMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/TableExport.h"

#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

QString g_folder;

const MeasurementTable& tenMillionRows()
{
    static const auto table = [] {
        auto t = std::make_unique<MeasurementTable>();
        for (int i = 0; i < 10'000'000; ++i) {
            char time[9];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
            t->appendRow(i + 1, QByteArrayView(time, 8), " 25.3", "#");
        }
        return t;
    }();
    return *table;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One write() of the whole size from a buffer that is already filled.
double rawWriteSeconds(const QString& fileName, qint64 bytes, bool flush)
{
    static std::unique_ptr<char[]> buffer;
    static qint64 bufferSize = 0;
    if (bufferSize < bytes) {
        buffer = std::make_unique<char[]>(size_t(bytes));
        std::fill_n(buffer.get(), bytes, 'x');
        bufferSize = bytes;
    }
    const QByteArray path = QFile::encodeName(fileName);
    ::sync();
    const auto start = Clock::now();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    qint64 done = 0;
    while (fd >= 0 && done < bytes) {
        const ssize_t n = ::write(fd, buffer.get() + done, size_t(bytes - done));
        if (n <= 0)
            break;
        done += n;
    }
    if (fd >= 0 && flush)
        ::fdatasync(fd);
    if (fd >= 0)
        ::close(fd);
    const double seconds = secondsSince(start);
    QFile::remove(fileName);
    return seconds;
}

void exportBenchmark(benchmark::State& state, const char* name)
{
    MeasurementTable& table = const_cast<MeasurementTable&>(tenMillionRows());
    AnsweredMessages dialogs;
    const QString fileName = QDir(g_folder).filePath(QString::fromLatin1(name));
    const QString rawName = fileName + QStringLiteral(".raw");
    double exportSeconds = 1e9, rawSeconds = 1e9, rawFlushedSeconds = 1e9;
    qint64 bytes = 0;
    for (auto _ : state) {
        // Every timed write starts with nothing waiting to be written back, so one does not pay
        // for the one before.
        state.PauseTiming();
        ::sync();
        state.ResumeTiming();
        const auto start = Clock::now();
        SaveTableToFile(table, fileName, dialogs);
        exportSeconds = std::min(exportSeconds, secondsSince(start));
        bytes = QFileInfo(fileName).size();
        state.PauseTiming();
        QFile::remove(fileName);
        rawSeconds = std::min(rawSeconds, rawWriteSeconds(rawName, bytes, false));
        rawFlushedSeconds = std::min(rawFlushedSeconds, rawWriteSeconds(rawName, bytes, true));
        state.ResumeTiming();
    }
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["export_MB_per_s"] = double(bytes) / 1e6 / exportSeconds;
    state.counters["ratio_to_raw_write"] = rawSeconds / exportSeconds;
    state.counters["ratio_to_raw_write_and_flush"] = rawFlushedSeconds / exportSeconds;
}

void BM_ExportTextReport(benchmark::State& state)
{
    exportBenchmark(state, "bench-table.xls");
}
BENCHMARK(BM_ExportTextReport)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportDataPacket(benchmark::State& state)
{
    exportBenchmark(state, "bench-table.xml");
}
BENCHMARK(BM_ExportDataPacket)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
