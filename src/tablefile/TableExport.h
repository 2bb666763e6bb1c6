#pragma once

#include "base/FileSystem.h"
#include "tablefile/ExportRows.h"

#include <QDate>
#include <QLocale>
#include <QString>

class MeasurementTable;
class UserMessages;

struct TableExportSettings {
    // The text report's first line gives this date in this locale's short date format.
    QDate date = QDate::currentDate();
    QLocale locale = QLocale::system();
    ExportProgress progress;
    const FileSystem* files = &systemFileSystem();
};

// Saves the table in the format the file name selects (see tableFileFormat) and tells the user
// how it went. The file is written as replaceFileSafely writes: a failed save leaves the old
// file as it was, and once the save is reported a power cut cannot undo it. A name that leads
// to anything but a regular file is refused. A row still being appended is completed first.
//
// Text report: success or failure is shown in the program's message dialog; a refused name
// adds what it is on a second line. Data packet: success is shown there; a failure throws
// ProgramError ("Cannot create file ..." or "Cannot write file ...", with the reason) for the
// application's standard error report.
// Returns whether the file was saved.
bool SaveTableToFile(MeasurementTable& table, const QString& fileName, UserMessages& messages,
                     const TableExportSettings& settings = TableExportSettings());
