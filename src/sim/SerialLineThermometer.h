#pragma once

#include "sim/SimulatedThermometer.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The simulated thermometer on a serial line: a pseudo-terminal pair whose far end the program
// opens as its serial port. From power-on the thermometer streams its display frames, and a
// thread of its own writes each byte to the line when it has arrived at 2400 baud, so a reader
// sees frames as a real port delivers them: a few bytes at a time, split wherever its polls
// fall. Frames that would meet a full line are lost, as on a port nobody reads.
class SerialLineThermometer {
public:
    explicit SerialLineThermometer(SimulatedThermometer::Options options = {});
    // Stops the thermometer and closes the line.
    ~SerialLineThermometer();
    SerialLineThermometer(const SerialLineThermometer&) = delete;
    SerialLineThermometer& operator=(const SerialLineThermometer&) = delete;

    // The path of the end the program opens, such as /dev/pts/7.
    QString portPath() const { return m_portPath; }
    // The frames put on the line so far, in order.
    std::vector<QByteArray> sentFrames() const;
    // Bytes onto the line as soon as no frame is going out, for streams the thermometer never
    // sends itself.
    void sendBytes(const QByteArray& bytes);

private:
    struct LineByte {
        int64_t arrival;  // microseconds since power-on
        char value;
    };

    void run();
    int64_t now() const;
    void writeToLine(const QByteArray& bytes);

    SimulatedThermometer m_thermometer;  // the line thread's alone once it runs
    int m_lineFd = -1;                   // the pseudo-terminal's near end
    int m_farFd = -1;                    // kept open so the line lives while the program's port is closed
    QString m_portPath;
    std::chrono::steady_clock::time_point m_poweredOn;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::vector<QByteArray> m_sentFrames;
    QByteArray m_extraBytes;  // waiting for a quiet line
    std::thread m_line;
};
