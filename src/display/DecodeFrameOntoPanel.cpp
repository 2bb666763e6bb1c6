#include "DecodeFrameOntoPanel.h"

#include "FrameDecoder.h"
#include "LcdPanel.h"
#include "ProgramState.h"

void decodeFrameOntoPanel(ProgramState& state, LcdPanel& panel, const std::function<void()>& recordReading)
{
    panel.toggleConnectionIndicator();
    state.IdleTicks = 0;
    const DecodedFrame frame = decodeFrame(state.FrameText, state.DecimalText, state.RangeMax, state.RangeMin);
    panel.show(frame);
    applyReading(frame, state);
    if (frame.conversionError)
        throw *frame.conversionError;
    recordReading();
}
