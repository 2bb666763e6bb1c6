#pragma once

#include <functional>

class LcdPanel;
struct ProgramState;

// Decodes state.FrameText onto the LCD panel and into the current reading, then records it.
// A frame whose digits are not a number still shows on the panel and still sets ReadingText
// and UnitSymbol; its ProgramError is thrown afterwards, ReadingValue is left as it was and
// recordReading is not called.
void decodeFrameOntoPanel(ProgramState& state, LcdPanel& panel, const std::function<void()>& recordReading);
