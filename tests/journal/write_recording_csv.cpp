// Writes a fixed recording's CSV to the path given, for read_recording_csv.py to check what
// Python's csv and datetime modules make of it.
#include "journal/RecordingCsv.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: write_recording_csv FILE\n", stderr);
        return 2;
    }
    const auto at = [](int hour, int minute, int second, int ms, int offsetSeconds) {
        return QDateTime(QDate(2026, 12, 10), QTime(hour, minute, second, ms), Qt::OffsetFromUTC, offsetSeconds);
    };
    const std::vector<JournalRow> rows{
        {.no = 1, .takenAt = at(13, 14, 16, 250, 3600), .value = 25.3, .unit = "C"},
        {.no = std::nullopt, .takenAt = at(8, 14, 17, 0, -5 * 3600), .value = -4.5, .unit = "F"},
        {.no = 3, .takenAt = at(12, 14, 18, 5, 0), .value = std::nullopt, .unit = ""},
        {.no = 4, .takenAt = at(18, 44, 19, 999, 5 * 3600 + 1800), .value = 0.1 + 0.2, .unit = "C"},
        {.no = 2147483647, .takenAt = at(23, 59, 59, 1, -(9 * 3600 + 30 * 60)), .value = -1.0 / 3, .unit = "F"},
    };
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(RecordingCsv::text(rows)) < 0 || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
