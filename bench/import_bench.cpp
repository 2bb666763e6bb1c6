// Loading saved tables of 10^5 and 10^7 rows, against a plain read of the same bytes split
// into lines, the way a program reads a text file line by line (QFile::readLine, one byte
// array per line); the raw speed of reading the file in blocks and finding its line feeds with
// memchr is printed beside it, as the bound no reader can pass:
//   cmake --build <build> --target import_bench && <build>/bench/import_bench [folder]
// The files are written by the program's own exporters into the folder (default: the system's
// temporary folder) by a child process, so that the table they came from does not sit in this
// process's memory. Each figure is the fastest of a few runs, which is the steadiest on a
// machine that is doing other work too; the files stay in the page cache between runs, so the
// plain read measures memory speed, not the disk's. The last two lines give the ratio of
// import throughput to plain-read throughput at 10^7 rows. Last, how long a packet whose one tag
// runs on for 64, 128 and 256 MB takes to be refused.
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketWriter.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/TableImport.h"
#include "tablefile/TextReportWriter.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void writeFiles(int rows, const QString& report, const QString& packet)
{
    MeasurementTable table;
    for (int i = 0; i < rows; ++i) {
        char time[9];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
        char value[8];
        const int length = std::snprintf(value, sizeof value, "%d.%d", 20 + i % 13, i % 10);
        table.appendRow(i + 1, QByteArrayView(time, 8), QByteArrayView(value, length), "#");
    }
    for (const QString& name : {report, packet}) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            std::exit(2);
        ExportBuffer out(file);
        if (name == report)
            writeTextReport(table, rows, "05.03.24", out, {});
        else
            writeDataPacket(table, rows, out, {});
        out.finish();
    }
}

// Writing happens in a child, which exits with the table it filled.
void writeFilesApart(int rows, const QString& report, const QString& packet)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        writeFiles(rows, report, packet);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "could not write the files\n");
        std::exit(1);
    }
}

// The plain read: the file line by line, each line in a byte array of its own.
qint64 plainReadLines(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    qint64 bytes = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        bytes += line.size();
        ++lines;
    }
    return bytes > 0 ? lines : 0;
}

// The bound: the same file in blocks, its line feeds found with memchr.
qint64 rawReadLines(const QString& name)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY);
    std::vector<char> buffer(1 << 20);
    qint64 lines = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got <= 0)
            break;
        const char* p = buffer.data();
        const char* const end = p + got;
        while (const void* found = std::memchr(p, '\n', size_t(end - p))) {
            ++lines;
            p = static_cast<const char*>(found) + 1;
        }
    }
    ::close(fd);
    return lines;
}

long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Resets the peak resident size the kernel keeps for this process.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Figures {
    double importSeconds = 1e9;
    double plainSeconds = 1e9;
    double rawSeconds = 1e9;
    double peakBytesPerRow = 0;
    int rowsLoaded = 0;
};

Figures measure(const QString& name, int rows, int runs)
{
    Figures f;
    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        const qint64 lines = plainReadLines(name);
        f.plainSeconds = std::min(f.plainSeconds, seconds(Clock::now() - start));
        if (lines < 0)
            std::exit(1);
        start = Clock::now();
        if (rawReadLines(name) < lines - 1)
            std::exit(1);
        f.rawSeconds = std::min(f.rawSeconds, seconds(Clock::now() - start));

        const long rssBefore = statusKilobytes("VmRSS:");
        resetPeakMemory();
        auto table = std::make_unique<MeasurementTable>();
        TableImportSettings settings;
        settings.reportFailure = [] { std::fprintf(stderr, "load failed\n"); };
        start = Clock::now();
        LoadTableFromFile(name, *table, false, settings);
        f.importSeconds = std::min(f.importSeconds, seconds(Clock::now() - start));
        const long peak = statusKilobytes("VmHWM:");
        f.peakBytesPerRow = double(peak - rssBefore) * 1024.0 / rows;
        f.rowsLoaded = table->rowCount();
    }
    return f;
}

// A packet whose one start tag runs on for megabytes, as a broken or hostile file may: the time
// until the load fails, which must not grow faster than the file.
double secondsToRefuseOneLongTag(const QString& name, qint64 megabytes)
{
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            std::exit(2);
        file.write("<?xml version=\"1.0\"?><DATAPACKET><METADATA><FIELDS><FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                   "</FIELDS></METADATA><ROWDATA><ROW No=\"");
        const QByteArray block(1 << 20, '1');
        for (qint64 i = 0; i < megabytes; ++i)
            file.write(block);
    }
    MeasurementTable table;
    bool failed = false;
    TableImportSettings settings;
    settings.reportFailure = [&failed] { failed = true; };
    const Clock::time_point start = Clock::now();
    LoadTableFromFile(name, table, false, settings);
    const double s = seconds(Clock::now() - start);
    QFile::remove(name);
    return failed ? s : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const QString report = QDir(folder).filePath(QStringLiteral("import_bench.xls"));
    const QString packet = QDir(folder).filePath(QStringLiteral("import_bench.xml"));

    struct Size {
        int rows;
        int runs;
    };
    double perRowSmall[2] = {0, 0};
    double ratioLarge[2] = {0, 0};
    for (const Size size : {Size{100'000, 7}, Size{10'000'000, 3}}) {
        writeFilesApart(size.rows, report, packet);
        const QString names[2] = {report, packet};
        const char* labels[2] = {"text", "xml"};
        for (int format = 0; format < 2; ++format) {
            const Figures f = measure(names[format], size.rows, size.runs);
            const double bytes = double(QFile(names[format]).size());
            const double perRow = f.importSeconds / size.rows * 1e9;
            std::printf("%-4s %9d rows, %7.1f MB: import %7.1f MB/s (%6.1f ns/row), plain read %7.1f MB/s "
                        "(ratio %.3f), raw read %7.1f MB/s (ratio %.3f), peak memory growth %.1f bytes/row%s\n",
                        labels[format], size.rows, bytes / 1e6, bytes / f.importSeconds / 1e6, perRow,
                        bytes / f.plainSeconds / 1e6, f.plainSeconds / f.importSeconds, bytes / f.rawSeconds / 1e6,
                        f.rawSeconds / f.importSeconds, f.peakBytesPerRow,
                        f.rowsLoaded == size.rows ? "" : "  (ROWS MISSING)");
            if (size.rows == 100'000) {
                perRowSmall[format] = perRow;
            } else {
                std::printf("%-4s per-row cost at 10^7 against 10^5: %.2fx\n", labels[format], perRow / perRowSmall[format]);
                ratioLarge[format] = f.plainSeconds / f.importSeconds;
            }
        }
    }
    QFile::remove(report);
    QFile::remove(packet);
    for (const qint64 megabytes : {64, 128, 256})
        std::printf("xml  one tag of %3lld MB: refused in %.3f s\n", megabytes,
                    secondsToRefuseOneLongTag(packet, megabytes));
    std::printf("text import: %.3f of plain read\n", ratioLarge[0]);
    std::printf("xml import: %.3f of plain read\n", ratioLarge[1]);
    return 0;
}
