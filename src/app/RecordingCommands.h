#pragma once

#include "base/FileSystem.h"

#include <QString>

#include <cstdint>
#include <cstdio>

class JournalDatabase;
struct JournalRecording;

// What --recordings and --export-recording do, before any application object exists and without
// a display: list the recordings of the journal in a folder, and write one of them to a file.
// Results go to `out`, failures to `errors` after the program's name; each returns the program's
// exit code, 0 or kFailed. The journal is only read, and nothing beside it changes, so both work
// on a read-only folder or mount and while a program records into it; a journal that does not
// exist is never created: there is simply nothing recorded yet. Files are written through `files`.
class RecordingCommands {
public:
    static constexpr int kFailed = 1;

    RecordingCommands(const QString& programName, const QString& journalFolder, std::FILE* out,
                      std::FILE* errors, const FileSystem& files = systemFileSystem());

    // A header line, then one line per recording: its id, the date and time of its first and
    // last rows, its number of rows, and whether it was saved.
    int list();
    // A name ending in .csv (any case) gets comma-separated values (RecordingCsv); any other name
    // the table's own formats, chosen by the name as the window's Save chooses them. The file is
    // written whole or not at all.
    int exportRecording(int64_t id, const QString& fileName);

private:
    int writeCsv(JournalDatabase& journal, const JournalRecording& recording, const QString& fileName);
    int writeTable(JournalDatabase& journal, const JournalRecording& recording, const QString& fileName);
    bool journalExists() const;
    // "Saved recording ID (N rows) to FILE.", whatever the format.
    void printSaved(const JournalRecording& recording, int64_t rows, const QString& fileName);
    void print(const QString& text);
    int fail(const QString& problem);

    QString m_programName;
    QString m_journalPath;
    std::FILE* m_out;
    std::FILE* m_errors;
    const FileSystem& m_files;
};
