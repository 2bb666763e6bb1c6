#include "sim/SerialLineThermometer.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

SerialLineThermometer::SerialLineThermometer(SimulatedThermometer::Options options)
    : m_thermometer(std::move(options)), m_poweredOn(std::chrono::steady_clock::now())
{
    // Raw, so the line discipline neither echoes frames back nor turns the carriage return into
    // a line feed before the program has set the port up itself.
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B2400);
    cfsetospeed(&raw, B2400);
    char path[128] = {};
    if (openpty(&m_lineFd, &m_farFd, path, &raw, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal for the simulated thermometer");
    m_portPath = QString::fromLocal8Bit(path);
    fcntl(m_lineFd, F_SETFL, fcntl(m_lineFd, F_GETFL) | O_NONBLOCK);

    // The instrument streams its display from power-on, as after a Start live command.
    const char startLive = char(SimulatedThermometer::kStartLive);
    m_thermometer.receive(QByteArrayView(&startLive, 1), 0);
    m_line = std::thread([this] { run(); });
}

SerialLineThermometer::~SerialLineThermometer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_line.join();
    ::close(m_farFd);
    ::close(m_lineFd);
}

int64_t SerialLineThermometer::now() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_poweredOn)
        .count();
}

std::vector<QByteArray> SerialLineThermometer::sentFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_sentFrames;
}

void SerialLineThermometer::writeToLine(const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(m_lineFd, bytes.constData() + written, size_t(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return;  // a full line: the rest is lost
        written += result;
    }
}

void SerialLineThermometer::sendBytes(const QByteArray& bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_extraBytes += bytes;
    }
    m_wake.notify_all();
}

void SerialLineThermometer::run()
{
    std::deque<LineByte> line;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        const int64_t until = now();
        m_thermometer.transmitUntil(until, [&](int64_t start, const QByteArray& frame) {
            m_sentFrames.push_back(frame);
            for (qsizetype i = 0; i < frame.size(); ++i)
                line.push_back({start + SerialLine::byteArrival(i), frame[i]});
        });
        QByteArray arrived;
        while (!line.empty() && line.front().arrival <= until) {
            arrived.append(line.front().value);
            line.pop_front();
        }
        if (line.empty()) {
            arrived += m_extraBytes;
            m_extraBytes.clear();
        }
        writeToLine(arrived);
        // Sleep until the next byte is due, or a while when the line is quiet; the frame
        // schedule is looked at again then.
        const int64_t next = line.empty() ? until + 10'000 : line.front().arrival;
        m_wake.wait_until(lock, m_poweredOn + std::chrono::microseconds(next),
                          [&] { return m_stopping || (line.empty() && !m_extraBytes.isEmpty()); });
    }
}
