// The frame decoder on any bytes, held against a plain reading of the display rules: what the
// four digits show, the point and the unit from the status digit, the Value column's text, and
// the reading the digits carry or the conversion message they give.
#include "IntegerRule.h"

#include "display/FrameDecoder.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The LCD font draws the overload L as "@", a dark digit as " " and a dash as "-".
std::string shownDigit(const std::string& frame, size_t position)
{
    if (position >= frame.size())
        return {};
    switch (frame[position]) {
    case 'F': return "@";
    case 'A': return " ";
    case 'B': return "-";
    default: return std::string(1, frame[position]);
    }
}

int32_t takeInt32(const uint8_t*& data, size_t& size)
{
    uint32_t value = 0;
    const size_t n = std::min<size_t>(size, 4);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return int32_t(value);
}

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

// Input: the range maximum and minimum (4 bytes each), the length of the decimal text and the
// decimal text, then the frame.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t rangeMax = takeInt32(data, size);
    const int32_t rangeMin = takeInt32(data, size);
    size_t decimalLength = 0;
    if (size > 0) {
        decimalLength = std::min<size_t>(data[0] % 4, size - 1);
        ++data;
        --size;
    }
    const std::string decimal(reinterpret_cast<const char*>(data), decimalLength);
    const std::string frame(reinterpret_cast<const char*>(data) + decimalLength, size - decimalLength);

    const DecodedFrame decoded = decodeFrame(bytes(frame), bytes(decimal), rangeMax, rangeMin);

    const std::string d4 = shownDigit(frame, 2), d3 = shownDigit(frame, 3), d2 = shownDigit(frame, 4),
                      d1 = shownDigit(frame, 5);
    check(decoded.digits[0] == bytes(d4) && decoded.digits[1] == bytes(d3) && decoded.digits[2] == bytes(d2) &&
          decoded.digits[3] == bytes(d1));

    const char status = frame.size() > 1 ? frame[1] : '0';
    const bool point = status == '1' || status == '3';
    const bool fahrenheit = status == '2' || status == '3';
    check(decoded.decimalPoint == point && decoded.fahrenheit == fahrenheit);
    check(decoded.unitSymbol == (fahrenheit ? "?" : "#"));

    std::string text;
    if (d2 == "@")
        text = d4 + d3 + "L" + d1;
    else if (d2 == "-" && d1 == "-")
        text = "----";
    else
        text = d4 + d3 + d2 + (point ? decimal : std::string()) + d1;
    check(decoded.readingText == bytes(text));

    std::optional<float> value;
    std::optional<std::string> error;
    const std::string shown = d4 + d3 + d2 + d1;
    if (frame.size() < 6) {
        error = "'" + shown + "' is not a valid integer value";
    } else if (d2 != "-" && d1 != "-") {
        if (d4 + d3 + d2 == " 0@")
            value = float(rangeMax);
        else if (d4 + d3 + d2 == "-0@")
            value = float(rangeMin);
        else if (const auto number = readIntegerByTheRule(shown))
            value = float(double(*number) * 0.1);
        else
            error = "'" + shown + "' is not a valid integer value";
    }
    check(decoded.readingValue == value);
    check(decoded.conversionError.has_value() == error.has_value());
    if (error)
        check(decoded.conversionError->message() == *error);

    // The current reading takes the texts always and the value only when there is one.
    Reading current{.value = -1.5f};
    const Reading reading = applyReading(decoded, current);
    check(current.text == bytes(text) && current.unitSymbol == decoded.unitSymbol);
    check(current.value == (value ? *value : -1.5f));
    check(reading.text == current.text && reading.value == current.value && reading.unitSymbol == current.unitSymbol);
    return 0;
}
