#pragma once

#include <QString>

class QPrinter;

// Keeps a print into a file from leaving half a file behind. While it lives, a printer that
// prints into a file (a PDF, for one) writes under a temporary name in the same folder; the file
// takes the chosen name only through putInPlace, once every page is out, replacing an earlier
// file of that name. Printing cancelled or failed, the temporary file goes and an earlier file
// stays as it was. A printer that prints on paper is left alone.
class PrintOutputFile {
public:
    // Throws ProgramError when no file can be made in that folder.
    explicit PrintOutputFile(QPrinter& printer);
    // Removes the temporary file unless it was put in place, and gives the printer back the name
    // it had. The printer must not be printing any more.
    ~PrintOutputFile();
    PrintOutputFile(const PrintOutputFile&) = delete;
    PrintOutputFile& operator=(const PrintOutputFile&) = delete;

    // Throws ProgramError when the file cannot take its name.
    void putInPlace();

private:
    QPrinter& m_printer;
    QString m_target;     // empty when the printer prints on paper
    QString m_temporary;  // empty once put in place
};
