// Memory, append and read cost of the measurement table.
//   cmake --build <build> --target table_bench && <build>/bench/table_bench
// Prints first the bytes per row at a million rows, for rows as the program makes them and for
// rows of foreign texts as a file from elsewhere brings them. Then bytes per row at ten million
// typical rows; the CPU time per appended row when filling a table to 10^3, 10^5 and 10^7 rows:
// the average, and the slowest batch of 1000 rows, which would stand out if the table ever
// copied everything it holds; and the CPU time per row read back at ten million rows, as an
// exporter reads (every field of a row) and as the grid reads (one row per cell).
#include "record/MeasurementTable.h"
#include "tablefile/SmallCopy.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace {

// No, "hh:mm:ss", " 25.3", "#": what the recorder appends.
void appendTypicalRow(MeasurementTable& table, int i)
{
    const int h = (i / 3600) % 24, m = (i / 60) % 60, s = i % 60;
    const char time[8] = {char('0' + h / 10), char('0' + h % 10), ':', char('0' + m / 10), char('0' + m % 10), ':',
                          char('0' + s / 10), char('0' + s % 10)};
    table.appendRow(i + 1, QByteArrayView(time, 8), " 25.3", "#");
}

// What the recorder appends over a long recording: a reading that wanders between -50.0 and
// 129.9 on the instrument's four positions (" 25.3", " -4.7", "  0.5"), now and then "----" or
// a whole number ("1855"), the unit switched to Fahrenheit for a stretch, the time in the
// locale's form with a separator other than ':' for part of the rows, and numbers that skip
// the samples the Repeat filter dropped.
void appendProgramRow(MeasurementTable& table, int i)
{
    const char separator = (i / 100'000) % 2 ? '.' : ':';
    const int h = (i / 3600) % 24, m = (i / 60) % 60, s = i % 60;
    const char time[8] = {char('0' + h / 10), char('0' + h % 10), separator, char('0' + m / 10), char('0' + m % 10),
                          separator, char('0' + s / 10), char('0' + s % 10)};
    char value[8];
    int length = 0;
    if (i % 997 == 0) {
        length = std::snprintf(value, sizeof value, "----");
    } else if (i % 1009 == 0) {
        length = std::snprintf(value, sizeof value, "%4d", 1855 - i % 100);
    } else {
        const int tenths = int(int64_t(i) * 7919 % 1800) - 500;
        // At least two digits, a leading minus, right-aligned in four positions, and the point
        // before the last.
        char digits[8];
        std::snprintf(digits, sizeof digits, "%s%02d", tenths < 0 ? "-" : "", std::abs(tenths));
        char shown[8];
        std::snprintf(shown, sizeof shown, "%4s", digits);
        length = std::snprintf(value, sizeof value, "%.3s.%c", shown, shown[3]);
    }
    const char* unit = (i / 250'000) % 2 ? "?" : "#";
    table.appendRow(i + 1 + i / 7, QByteArrayView(time, 8), QByteArrayView(value, length), unit);
}

// What another program's file may hold: times with milliseconds, values with two decimals,
// a unit of several bytes.
void appendForeignRow(MeasurementTable& table, int i)
{
    char time[16];
    const int timeLength = std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", (i / 3600) % 24, (i / 60) % 60,
                                         i % 60, (i * 37) % 1000);
    char value[16];
    const int valueLength = std::snprintf(value, sizeof value, "%.2f", double(int64_t(i) * 7919 % 18000 - 5000) / 100);
    table.appendRow(i + 1, QByteArrayView(time, timeLength), QByteArrayView(value, valueLength), "\xC2\xB0" "C");
}

template <class AppendRow>
void printBytesPerRow(const char* kind, AppendRow appendRow)
{
    constexpr int kRows = 1'000'000;
    MeasurementTable table;
    for (int i = 0; i < kRows; ++i)
        appendRow(table, i);
    std::printf("bytes per row %s: %.2f B\n", kind, double(table.memoryUsage()) / kRows);
}

long residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

void BM_TableMemoryPerRow(benchmark::State& state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        const long before = residentBytes();
        MeasurementTable table;
        for (int i = 0; i < rows; ++i)
            appendTypicalRow(table, i);
        const long after = residentBytes();
        state.counters["rss_bytes_per_row"] = double(after - before) / rows;
        state.counters["table_bytes_per_row"] = double(table.memoryUsage()) / rows;
    }
}
BENCHMARK(BM_TableMemoryPerRow)->Arg(10'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// CPU time of this thread: other processes on a busy machine do not count, page faults do.
double threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

void BM_AppendPerRow(benchmark::State& state)
{
    constexpr int kBatch = 1000;
    const int rows = int(state.range(0));
    double totalNs = 0;
    double worstBatchNs = 0;
    for (auto _ : state) {
        MeasurementTable table;
        for (int done = 0; done < rows; done += kBatch) {
            const double start = threadCpuNs();
            for (int i = done; i < done + kBatch; ++i)
                appendTypicalRow(table, i);
            const double ns = threadCpuNs() - start;
            totalNs += ns;
            worstBatchNs = std::max(worstBatchNs, ns);
        }
        state.PauseTiming();
        table.empty();
        state.ResumeTiming();
    }
    state.counters["ns_per_row"] = totalNs / (double(rows) * double(state.iterations()));
    state.counters["worst_batch_ns_per_row"] = worstBatchNs / kBatch;
}
BENCHMARK(BM_AppendPerRow)->Arg(1'000)->Arg(100'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

const MeasurementTable& tenMillionProgramRows()
{
    static const auto table = [] {
        auto t = std::make_unique<MeasurementTable>();
        for (int i = 0; i < 10'000'000; ++i)
            appendProgramRow(*t, i);
        return t;
    }();
    return *table;
}

// An exporter's way: every field of each row copied out, with the exporters' copy.
void BM_ReadRowsAsExporter(benchmark::State& state)
{
    const MeasurementTable& table = tenMillionProgramRows();
    char out[64];
    double ns = 0;
    for (auto _ : state) {
        const double start = threadCpuNs();
        size_t bytes = 0;
        for (int i = 0; i < table.rowCount(); ++i) {
            const MeasurementRow row = table.row(i);
            bytes += size_t(row.no().value_or(0) & 1);
            for (int field = MeasurementTable::Time; field <= MeasurementTable::Unit; ++field) {
                if (const std::optional<QByteArrayView> text = row.text(field)) {
                    copySmall(out, text->data(), size_t(text->size()));
                    bytes += size_t(text->size());
                }
            }
            benchmark::DoNotOptimize(out);
        }
        benchmark::DoNotOptimize(bytes);
        ns += threadCpuNs() - start;
    }
    state.counters["ns_per_row"] = ns / (double(table.rowCount()) * double(state.iterations()));
}
BENCHMARK(BM_ReadRowsAsExporter)->Iterations(3)->Unit(benchmark::kMillisecond);

// The grid's way: a row looked up again for each cell, and its text made the string a cell
// shows, as the table model does.
void BM_ReadCellsAsGrid(benchmark::State& state)
{
    const MeasurementTable& table = tenMillionProgramRows();
    double ns = 0;
    for (auto _ : state) {
        const double start = threadCpuNs();
        qsizetype characters = 0;
        for (int i = 0; i < table.rowCount(); ++i) {
            for (int column = MeasurementTable::No; column <= MeasurementTable::Unit; ++column) {
                const MeasurementRow row = table.row(i);
                QString cell;
                if (column == MeasurementTable::No) {
                    if (const std::optional<int32_t> no = row.no())
                        cell = QString::number(*no);
                } else if (const std::optional<QByteArrayView> text = row.text(column)) {
                    cell = QString::fromLocal8Bit(*text);
                }
                characters += cell.size();
            }
        }
        benchmark::DoNotOptimize(characters);
        ns += threadCpuNs() - start;
    }
    state.counters["ns_per_row"] = ns / (double(table.rowCount()) * double(state.iterations()));
}
BENCHMARK(BM_ReadCellsAsGrid)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    printBytesPerRow("program-made", appendProgramRow);
    printBytesPerRow("foreign", appendForeignRow);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
