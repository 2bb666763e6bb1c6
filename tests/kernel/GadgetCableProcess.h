#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// The gadget cable program (tq612-gadget-cable) running beside the test: the simulated
// thermometer's cable as a USB device of this machine.
class GadgetCableProcess {
public:
    // Starts the program and waits until its gadget is bound; ready() says whether it is.
    explicit GadgetCableProcess(const QString& program)
    {
        m_process.setProgram(program);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        while (m_folder.isEmpty() && m_process.waitForReadyRead(10000)) {
            const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
            if (words.size() == 3 && words[0] == "ready") {
                m_folder = QString::fromUtf8(words[1]);
                m_controller = words[2];
            }
        }
    }
    ~GadgetCableProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    bool ready() const { return !m_folder.isEmpty(); }

    // Every report the host sent so far, "feature ..." or "output ...", bytes in hex.
    QStringList received()
    {
        readLines();
        return m_received;
    }
    // The reading frames the thermometer has begun to send so far.
    int64_t readingFramesSent()
    {
        readLines();
        return m_readingFramesSent;
    }

    // Unbinding the gadget from its controller is pulling the plug.
    bool unplug() { return bindTo({}); }
    bool plugIn() { return bindTo(m_controller); }

private:
    void readLines()
    {
        while (m_process.canReadLine() || m_process.waitForReadyRead(0))
            while (m_process.canReadLine()) {
                const QString line = QString::fromLatin1(m_process.readLine().trimmed());
                if (line.startsWith(QStringLiteral("frames ")))
                    m_readingFramesSent = line.mid(7).toLongLong();
                else
                    m_received << line;
            }
    }
    bool bindTo(const QByteArray& controller)
    {
        QFile udc(m_folder + QStringLiteral("/UDC"));
        return udc.open(QIODevice::WriteOnly) && udc.write(controller + "\n") > 0 && udc.flush();
    }

    QProcess m_process;
    QString m_folder;
    QByteArray m_controller;
    QStringList m_received;
    int64_t m_readingFramesSent = 0;
};
