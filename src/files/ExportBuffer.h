#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <stdexcept>

class QIODevice;

// A file that could not be created or written, with the system's reason.
class ExportWriteError : public std::runtime_error {
public:
    enum class Stage { Create, Write };
    ExportWriteError(Stage stage, const QString& reason)
        : std::runtime_error(reason.toStdString()), m_stage(stage), m_reason(reason)
    {
    }
    Stage stage() const { return m_stage; }
    const QString& reason() const { return m_reason; }

private:
    Stage m_stage;
    QString m_reason;
};

// Collects output in one large buffer and hands it to the device in big writes: ten million
// rows must not cost ten million calls into the file layer. Writers format straight into the
// buffer: reserve room for the longest thing they may write, then commit where they ended.
class ExportBuffer {
public:
    static constexpr qsizetype kCapacity = 1 << 20;

    explicit ExportBuffer(QIODevice& device);

    char* reserve(qsizetype bytes)
    {
        if (m_end - m_pos < bytes)
            flush();
        return m_pos;
    }
    void commit(char* end) { m_pos = end; }
    void append(QByteArrayView bytes);

    // Throws ExportWriteError.
    void flush();

private:
    QIODevice& m_device;
    std::unique_ptr<char[]> m_buffer;
    char* m_pos;
    char* m_end;
};
