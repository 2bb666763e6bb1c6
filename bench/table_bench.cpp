// Memory and append cost of the measurement table.
//   cmake --build <build> --target table_bench && <build>/bench/table_bench
// Prints bytes per row at ten million typical rows, and the CPU time per appended row when
// filling a table to 10^3, 10^5 and 10^7 rows: the average, and the slowest batch of 1000 rows,
// which would stand out if the table ever copied everything it holds.
#include "record/MeasurementTable.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
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

}  // namespace

BENCHMARK_MAIN();
