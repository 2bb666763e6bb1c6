#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// The window's open and save dialogs. They are Qt's own dialogs rather than the desktop's,
// so they look the same everywhere and tests can drive them. They tell a file's type by its name
// alone: listing a folder never opens a file in it, so no special file can hang the window.
namespace FileDialogs {

// Filters are written as "description|pattern|description|pattern...", a pattern being one
// or more wildcards separated by ";".
inline const QString OpenFilter = QStringLiteral("Excel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt");
inline const QString SaveFilter = QStringLiteral("Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt");
inline const QString PictureFilter = QStringLiteral("Bitmaps (*.bmp)|*.bmp");

// Qt name filters for the pairs: "description (patterns)", patterns separated by blanks.
// The dialogs hide the added "(patterns)" part, so the user sees each description as written.
// A trailing description without a pattern is dropped.
QStringList nameFilters(const QString& pairs);

// The suffix a name gets when the user has chosen one of the name filters: the extension
// of that filter's first pattern, or "" when it has no plain extension (as "*.*" or "*") or
// the choice is none of them. The dialog reports a choice by its description alone, the
// way the user sees it, or in full.
QString suffixForChoice(const QStringList& nameFilters, const QString& chosen);

// An open dialog for an existing file.
QFileDialog* createOpenDialog(QWidget* parent, const QString& objectName, const QString& filterPairs);

// A save dialog that asks before overwriting. A name typed without an extension gets the
// extension of the selected filter, starting with defaultSuffix for the first one.
QFileDialog* createSaveDialog(QWidget* parent, const QString& objectName, const QString& filterPairs,
                              const QString& defaultSuffix);

// Shows an open dialog; the chosen file, or "" when the user cancelled. The name box keeps the
// last chosen name, so loading the next file of a series is quick.
QString askOpenName(QFileDialog* dialog);

// Shows a save dialog with proposedName in its name box; the chosen file, or "" when the user
// cancelled.
QString askSaveName(QFileDialog* dialog, const QString& proposedName = {});

}  // namespace FileDialogs
