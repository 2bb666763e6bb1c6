#pragma once

#include "base/ProgramState.h"
#include "display/FrameDecoder.h"

// The state the link fuzzers decode with: the smallest model's range and a point as the
// decimal separator.
inline ProgramState decodingState()
{
    ProgramState state;
    state.RangeMax = 855;
    state.RangeMin = -50;
    state.DecimalText = ".";
    return state;
}

// A frame decoded into the state as the reading road does it: the state is brought up to
// date first, then a frame whose digits are not a number throws its error.
inline void decodeIntoState(const QByteArray& frameText, ProgramState& state)
{
    const DecodedFrame frame = decodeFrame(frameText, state.DecimalText, state.RangeMax, state.RangeMin);
    applyReading(frame, state);
    if (frame.conversionError)
        throw *frame.conversionError;
}
