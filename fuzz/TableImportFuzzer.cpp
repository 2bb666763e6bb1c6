// Feeds arbitrary bytes through LoadTableFromFile: whatever the file holds, the load must end
// without a crash, leak or undefined behaviour, and leave only whole, well-formed rows, none
// at all from a packet that fails.
#include "record/MeasurementTable.h"
#include "tablefile/TableImport.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A RAM-backed folder when there is one, so each run's file costs no disk write.
QString scratchFile()
{
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("tq612-fuzz-%1%2").arg(getpid()).arg(QStringLiteral(FUZZ_FILE_SUFFIX)));
}

void writeAll(const QByteArray& name, const uint8_t* data, size_t size)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        std::abort();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0)
            std::abort();
        data += written;
        size -= size_t(written);
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = scratchFile();
    static const QByteArray encodedPath = QFile::encodeName(path);
    writeAll(encodedPath, data, size);

    MeasurementTable table;
    table.appendRow(1, "already", "there", "#");
    bool failed = false;
    TableImportSettings settings;
    settings.reportFailure = [&failed] { failed = true; };
    LoadTableFromFile(path, table, false, settings);

    if (table.rowCount() < 1 || table.changeLogCount() != table.rowCount())
        std::abort();
    // A packet that fails adds nothing; a text report keeps the rows before the bad line.
    if (failed && tableFileFormat(path) == TableFileFormat::DataPacket && table.rowCount() != 1)
        std::abort();
    for (int i = 0; i < table.rowCount(); ++i) {
        // A text may be spelt out into the row object, so the row outlives the views.
        const MeasurementRow row = table.row(i);
        for (int field = MeasurementTable::Time; field <= MeasurementTable::Unit; ++field) {
            const std::optional<QByteArrayView> text = row.text(field);
            if (text && text->size() > MeasurementTable::kTextFieldSize)
                std::abort();
        }
    }
    return 0;
}
