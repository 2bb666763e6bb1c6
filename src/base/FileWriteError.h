#pragma once

#include <QString>

#include <stdexcept>

// A file that could not be created or written, with the reason the file gives. Refused: the
// name leads to nothing a file may be saved in (a pipe, a device, a read-only file system),
// and the reason says what it is.
class FileWriteError : public std::runtime_error {
public:
    enum class Stage { Refused, Create, Write };
    FileWriteError(Stage stage, const QString& reason)
        : std::runtime_error(reason.toStdString()), m_stage(stage), m_reason(reason)
    {
    }
    Stage stage() const { return m_stage; }
    const QString& reason() const { return m_reason; }

private:
    Stage m_stage;
    QString m_reason;
};
