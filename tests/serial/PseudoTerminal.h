#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A pseudo-terminal pair standing in for a serial port: the program opens the far end by its
// path, the test writes and reads on the near end and looks at the line settings from there.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString path() const { return m_path; }
    void write(const QByteArray& bytes);

    // The line as the port's end has set it up.
    struct LineSettings {
        uint32_t baud = 0;  // from the kernel's own record, which holds any rate
        int stopBits = 0;
        bool rtsCts = false;
        bool xonXoff = false;
    };
    LineSettings lineSettings() const;

private:
    int m_near = -1;
    int m_far = -1;  // held so the line lives while the port is closed
    QString m_path;
};
