#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

// The serial line between the thermometer and its cable: 2400 baud, 8 data bits, no parity,
// one stop bit, so ten bit times per byte. Times are in microseconds.
namespace SerialLine {
constexpr uint32_t kBaud = 2400;
// When byte `index` of a transmission started at 0 has arrived at the far end.
constexpr int64_t byteArrival(int64_t index)
{
    return (index + 1) * 10 * 1'000'000 / kBaud;
}
}  // namespace SerialLine

// A simulated thermometer at the far end of its cable. It answers the commands that the cable
// passes on and sends frames of eleven bytes: nine data bytes, CR, LF. The low nibble of data
// byte i is digit d(i): d1 status (bit 0 decimal point, bit 1 Fahrenheit), d2 to d5 the four
// display digits (A blank, B minus, F the letter L), d6 d7 the frame type ("01" display, "07"
// stored reading, "10" model identification), d8 d9 "99" on the last stored reading.
//
// The instrument commits to a frame shortly before it goes out; a Stop lets a committed frame
// finish. Frames are at least kMinFrameGapUs apart, so the cable reports an idle line between
// any two of them.
class SimulatedThermometer {
public:
    enum class Unit { Celsius, Fahrenheit };
    enum class Reading { Temperature, OverloadHigh, OverloadLow, Dashes };
    enum class Mode { Idle, Live, Download };

    static constexpr uint8_t kStartLive = 90;
    static constexpr uint8_t kStartDownload = 7;
    static constexpr uint8_t kStop = 91;
    static constexpr int64_t kReplyDelayUs = 20'000;
    static constexpr int64_t kMinFrameGapUs = 60'000;

    struct Options {
        uint32_t seed = 612;
        double roomTemperature = 21.5;  // Celsius, where the reading wanders around
        // Celsius per second: how fast the wandering reading typically moves between live
        // frames. 0 holds the reading at room temperature.
        double changePerSecond = 0.1;
        Unit unit = Unit::Celsius;
        QByteArray modelCode = "3063";
        // The poll (5A 00) is answered with the model identification frame.
        bool answerPollWithModel = false;
        // In the display unit, oldest first.
        std::vector<double> storedReadings{21.3, 21.4, 21.4, 21.6, 21.9, 22.1, 22.0, 21.8, 21.7, 21.7};
        int64_t liveFrameIntervalUs = 500'000;
        int64_t downloadFrameIntervalUs = 120'000;
    };

    SimulatedThermometer();
    explicit SimulatedThermometer(Options options);

    // One message from the computer (the payload of one output report), complete at `at`.
    void receive(QByteArrayView message, int64_t at);
    // Live and stored-reading frames begun so far: each is a reading the computer should get.
    int64_t readingFramesSent() const { return m_readingFramesSent; }
    // Sends every frame whose first byte goes out at or before `until`, in order.
    void transmitUntil(int64_t until, const std::function<void(int64_t start, const QByteArray& frame)>& send);

    // Sends the model identification frame as soon as the line is free after `at`.
    void requestModelFrame(int64_t at);
    void setUnit(Unit unit) { m_options.unit = unit; }
    void setReading(Reading reading) { m_reading = reading; }
    // A silent instrument sends nothing, whatever it is asked.
    void setSilent(bool silent) { m_silent = silent; }
    void setStoredReadings(std::vector<double> readings) { m_options.storedReadings = std::move(readings); }

    Mode mode() const { return m_mode; }
    double celsius() const { return m_celsius; }

    // The eleven bytes of a frame with these digits.
    static QByteArray frame(const std::array<uint8_t, 9>& digits);
    // Status digit and display digits for a value in the display unit: one decimal place where
    // four digits can show it, whole numbers beyond, the overload display past that.
    static std::array<uint8_t, 5> displayDigits(double value, Unit unit);

private:
    QByteArray liveFrame();
    QByteArray storedFrame(size_t index) const;
    QByteArray modelFrame() const;
    std::array<uint8_t, 5> readingDigits(double value) const;

    Options m_options;
    std::mt19937 m_random;
    double m_celsius;
    Reading m_reading = Reading::Temperature;
    bool m_silent = false;
    Mode m_mode = Mode::Idle;
    int64_t m_nextFrameAt = 0;
    size_t m_downloadIndex = 0;
    int64_t m_readingFramesSent = 0;
    std::optional<int64_t> m_modelFrameAt;
    int64_t m_lineFreeAt = 0;
};
