#include "display/FrameDecoder.h"


namespace {

// The instrument's segment codes that the LCD font draws with other characters.
QByteArray translateDigit(const QByteArray& frameCharacter)
{
    if (frameCharacter == "F")
        return "@";
    if (frameCharacter == "A")
        return " ";
    if (frameCharacter == "B")
        return "-";
    return frameCharacter;
}

}  // namespace

DecodedFrame decodeFrame(const QByteArray& frameText, const QByteArray& decimalText, int32_t rangeMax,
                         int32_t rangeMin)
{
    DecodedFrame frame;
    for (qsizetype i = 0; i < 4; ++i)
        frame.digits[i] = translateDigit(frameText.mid(2 + i, 1));
    const QByteArray& d4 = frame.digits[0];
    const QByteArray& d3 = frame.digits[1];
    const QByteArray& d2 = frame.digits[2];
    const QByteArray& d1 = frame.digits[3];

    // Bit 0 of the status digit is the decimal point, bit 1 Fahrenheit; anything else reads as "0".
    const QByteArray status = frameText.mid(1, 1);
    frame.decimalPoint = status == "1" || status == "3";
    frame.fahrenheit = status == "2" || status == "3";
    frame.unitSymbol = frame.fahrenheit ? "?" : "#";
    const QByteArray separator = frame.decimalPoint ? decimalText : QByteArray();

    if (d2 == "@")
        frame.readingText = d4 + d3 + "L" + d1;  // overload: the display shows no point
    else if (d2 != "-" || d1 != "-")
        frame.readingText = d4 + d3 + d2 + separator + d1;
    else
        frame.readingText = "----";

    // A cut-off frame has lost digits; what is left of it would read as a different number.
    if (frameText.size() < 6) {
        frame.conversionError = ProgramError(invalidIntegerMessage(d4 + d3 + d2 + d1));
        return frame;
    }
    if (d2 == "-" || d1 == "-")
        return frame;
    const QByteArray leading = d4 + d3 + d2;
    if (leading == " 0@") {
        frame.readingValue = float(rangeMax);
    } else if (leading == "-0@") {
        frame.readingValue = float(rangeMin);
    } else {
        const QByteArray digits = leading + d1;
        int32_t n = 0;
        if (tryParseIntegerText(digits, n))
            // The display always has one decimal place, whether or not the point is lit.
            frame.readingValue = float(double(n) * 0.1);
        else
            frame.conversionError = ProgramError(invalidIntegerMessage(digits));
    }
    return frame;
}

Reading applyReading(const DecodedFrame& frame, Reading& current)
{
    current.text = frame.readingText;
    current.unitSymbol = frame.unitSymbol;
    if (frame.readingValue)
        current.value = *frame.readingValue;
    return current;
}
