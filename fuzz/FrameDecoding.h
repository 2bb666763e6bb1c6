#pragma once

#include "base/Reading.h"
#include "display/FrameDecoder.h"

// What the link fuzzers decode with: the smallest model's range and a point as the decimal
// separator.
inline DecodeSettings decodingSettings()
{
    DecodeSettings settings;
    settings.DecimalText = ".";
    return settings;
}

// A frame decoded into the current reading as the reading road does it: the reading is brought
// up to date first, then a frame whose digits are not a number throws its error.
inline void decodeInto(const QByteArray& frameText, const DecodeSettings& settings, Reading& current)
{
    const DecodedFrame frame = decodeFrame(frameText, settings.DecimalText, settings.RangeMax, settings.RangeMin);
    applyReading(frame, current);
    if (frame.conversionError)
        throw *frame.conversionError;
}
