#pragma once

#include "base/IntegerText.h"
#include "base/Reading.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

// What decoding a frame needs besides the frame: the decimal separator of the Value column and
// the measuring range an overload shows as its value.
struct DecodeSettings {
    QByteArray DecimalText;
    int32_t RangeMax = 855;
    int32_t RangeMin = -50;
};

// What one display frame means: what the on-screen LCD shows and the reading it carries.
// Computed without touching the panel or the state, so the panel and the state can both be
// brought up to date before a frame whose digits are not a number is reported.
struct DecodedFrame {
    // The four digits as the LCD font draws them, left to right (LcdD4, LcdD3, LcdD2, LcdD1).
    // "@" is the letter L, " " a dark digit; a position past the end of the frame is empty.
    std::array<QByteArray, 4> digits;
    bool decimalPoint = false;  // the point between the last two digits (LcdP2)
    bool fahrenheit = false;    // LCDF is shown, otherwise LCDC
    QByteArray unitSymbol;      // "#" Celsius or "?" Fahrenheit, the Unit column's glyph
    QByteArray readingText;     // the Value column's text
    // Empty when the frame carries no number (dashes) or its digits do not convert; the
    // previous reading then stays.
    std::optional<float> readingValue;
    std::optional<ProgramError> conversionError;
};

// frameText holds one upper-case hex digit per byte of the frame, the status digit at
// position 2 and the four display digits at positions 3 to 6 (counted from 1).
DecodedFrame decodeFrame(const QByteArray& frameText, const QByteArray& decimalText, int32_t rangeMax,
                         int32_t rangeMin);

// The frame's text and unit always become the current reading's; its value only when the frame
// carries a number. Returns the current reading as it now stands.
Reading applyReading(const DecodedFrame& frame, Reading& current);
