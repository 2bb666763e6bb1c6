#include "app/RecordingCommands.h"

#include "app/ConsoleMessages.h"
#include "base/IsoDateTime.h"
#include "base/ProgramError.h"
#include "record/MeasurementTable.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingCsv.h"
#include "journal/RecordingJournal.h"
#include "base/FileSystem.h"
#include "tablefile/ExportBuffer.h"
#include "base/FileReplacement.h"
#include "tablefile/TableExport.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

QString dateTimeText(const QDateTime& at)
{
    return at.isValid() ? QString::fromLatin1(isoDateTimeWithOffset(at)) : QStringLiteral("-");
}

QString savedText(const JournalRecording& recording)
{
    // A recording saved part of the way is neither: the rows recorded after the save are not safe.
    QString text = recording.saved()           ? QStringLiteral("saved")
                   : recording.savedRows <= 0 ? QStringLiteral("not saved")
                                              : QStringLiteral("%1 of %2 saved").arg(recording.savedRows).arg(recording.rows);
    // "recording" is every recording's status until it is emptied or declined; it says nothing.
    if (recording.status != QLatin1String("recording"))
        text += QStringLiteral(", ") + recording.status;
    return text;
}

// Columns wide enough for their longest text; the numbers right-aligned, the last column unpadded.
QString aligned(const std::vector<QStringList>& lines, const std::vector<bool>& rightAligned)
{
    std::vector<qsizetype> widths(rightAligned.size(), 0);
    for (const QStringList& line : lines) {
        for (size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], line[qsizetype(column)].size());
    }
    QString text;
    for (const QStringList& line : lines) {
        for (size_t column = 0; column < widths.size(); ++column) {
            const QString& cell = line[qsizetype(column)];
            if (column + 1 == widths.size())
                text += cell;
            else if (rightAligned[column])
                text += cell.rightJustified(widths[column]) + QStringLiteral("  ");
            else
                text += cell.leftJustified(widths[column]) + QStringLiteral("  ");
        }
        text += QLatin1Char('\n');
    }
    return text;
}

// The command prints its own line for a saved file, as for CSV; the window's "Scuss!" is not
// for a terminal. What goes wrong is still told as the table formats tell it.
class FailuresOnly : public UserMessages {
public:
    explicit FailuresOnly(UserMessages& messages) : m_messages(messages) {}

    MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                           MessageTone tone) override
    {
        return tone == MessageTone::Information ? MessageAnswer::Ok : m_messages.askInBox(text, caption, choices, tone);
    }
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
    {
        return tone == MessageTone::Information ? MessageAnswer::Ok : m_messages.askInDialog(text, tone, choices);
    }

private:
    UserMessages& m_messages;
};

}  // namespace

RecordingCommands::RecordingCommands(const QString& programName, const QString& journalFolder, std::FILE* out,
                                     std::FILE* errors, const FileSystem& files)
    : m_programName(programName),
      m_journalPath(journalFolder + QLatin1Char('/') + QLatin1String(RecordingJournal::kFileName)),
      m_out(out),
      m_errors(errors),
      m_files(files)
{
}

int RecordingCommands::list()
{
    if (!journalExists()) {
        print(QStringLiteral("No recordings yet: there is no journal at %1.\n").arg(m_journalPath));
        return 0;
    }
    try {
        JournalDatabase journal(m_journalPath, JournalDatabase::Access::ReadOnly);
        const std::vector<JournalRecording> recordings = journal.recordings();
        if (recordings.empty()) {
            print(QStringLiteral("No recordings yet in the journal %1.\n").arg(m_journalPath));
            return 0;
        }
        std::vector<QStringList> lines{{QStringLiteral("ID"), QStringLiteral("First"), QStringLiteral("Last"),
                                        QStringLiteral("Rows"), QStringLiteral("Saved")}};
        for (const JournalRecording& recording : recordings)
            lines.push_back({QString::number(recording.id), dateTimeText(recording.first),
                             dateTimeText(recording.last), QString::number(recording.rows), savedText(recording)});
        print(aligned(lines, {true, false, false, true, false}));
        return 0;
    } catch (const JournalError& error) {
        return fail(QStringLiteral("cannot read the journal %1: %2").arg(m_journalPath, QString::fromUtf8(error.what())));
    }
}

int RecordingCommands::exportRecording(int64_t id, const QString& fileName)
{
    if (!journalExists())
        return fail(QStringLiteral("no recordings yet: there is no journal at %1.").arg(m_journalPath));
    try {
        JournalDatabase journal(m_journalPath, JournalDatabase::Access::ReadOnly);
        const std::optional<JournalRecording> recording = journal.recording(id);
        if (!recording)
            return fail(QStringLiteral("the journal holds no recording %1; --recordings lists the ones it holds.")
                            .arg(id));
        if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            return writeCsv(journal, *recording, fileName);
        return writeTable(journal, *recording, fileName);
    } catch (const JournalError& error) {
        return fail(QStringLiteral("cannot read the journal %1: %2").arg(m_journalPath, QString::fromUtf8(error.what())));
    }
}

int RecordingCommands::writeCsv(JournalDatabase& journal, const JournalRecording& recording, const QString& fileName)
{
    // Saved as the window saves a table: the rows go to a temporary file beside the target, which
    // takes its place only once it is on the disk. A failure, or a journal error thrown half-way,
    // drops it and leaves whatever the name held before.
    // Counted as written: a running program may still be adding to the recording.
    int64_t rows = 0;
    try {
        replaceFileSafely(m_files, fileName, [&](QIODevice& file) {
            ExportBuffer out(file);
            out.append(RecordingCsv::kHeader);
            QByteArray line;
            journal.forEachRow(recording.id, [&](const JournalRow& row) {
                line.resize(0);
                RecordingCsv::appendLine(line, row);
                out.append(line);
                ++rows;
            });
            journal.checkReadWhole();
            out.finish();
        });
    } catch (const ExportWriteError& error) {
        const QString verb = error.stage() == ExportWriteError::Stage::Write ? QStringLiteral("write") : QStringLiteral("create");
        return fail(QStringLiteral("cannot %1 %2: %3").arg(verb, fileName, error.reason()));
    }
    printSaved(recording, rows, fileName);
    return 0;
}

int RecordingCommands::writeTable(JournalDatabase& journal, const JournalRecording& recording, const QString& fileName)
{
    // Filled as a restore fills the window's table, so the file is the one the window would save.
    MeasurementTable table;
    journal.forEachTableRow(recording.id, [&table](std::optional<int32_t> no, QByteArrayView time,
                                                   QByteArrayView value, QByteArrayView unit, float) {
        table.appendRow(no, time, value, unit);
    });
    journal.checkReadWhole();
    ConsoleMessages console(m_programName, m_out, m_errors);
    FailuresOnly messages(console);
    try {
        // The text report tells its own failure; the data packet throws it.
        TableExportSettings settings;
        settings.files = &m_files;
        if (!SaveTableToFile(table, fileName, messages, settings))
            return kFailed;
    } catch (const ProgramError& error) {
        return fail(failureText(error));
    }
    printSaved(recording, table.rowCount(), fileName);
    return 0;
}

bool RecordingCommands::journalExists() const
{
    return QFileInfo(m_journalPath).isFile();
}

void RecordingCommands::printSaved(const JournalRecording& recording, int64_t rows, const QString& fileName)
{
    print(QStringLiteral("Saved recording %1 (%2 %3) to %4.\n")
              .arg(recording.id)
              .arg(rows)
              .arg(rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"), fileName));
}

void RecordingCommands::print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), m_out);
}

int RecordingCommands::fail(const QString& problem)
{
    std::fputs(QStringLiteral("%1: %2\n").arg(m_programName, problem).toLocal8Bit().constData(), m_errors);
    return kFailed;
}
