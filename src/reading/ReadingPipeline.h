#pragma once

#include "base/LinkPorts.h"

#include <QByteArray>

class ConnectionIndicator;
class FrameDisplay;
class RecordingControls;
class Recorder;
struct ProgramState;

// The one road a display frame takes, whichever link brought it: decoded, shown on the LCD
// copy, then recorded into the table and the chart. The cable's report framer and the serial
// receive handler both end here.
class ReadingPipeline : public ReadingTarget {
public:
    ReadingPipeline(ProgramState& state, ConnectionIndicator& indicator, FrameDisplay& lcd,
                    RecordingControls& recordBar, Recorder& recorder);

    // One frame as FrameText holds it: one hex digit per byte. A frame whose digits are not a
    // number still shows on the LCD and still sets ReadingText and UnitSymbol; its ProgramError
    // is thrown afterwards, with ReadingValue left as it was and nothing recorded.
    void decodeFrame(const QByteArray& frameText) override;
    void switchOffSamplingInterval() override;
    void startNewRecording() override;
    void connectionLost() override;
    int64_t unkeptRows() const override;

    // Records the reading the state holds now, as a frame that decoded does.
    void recordCurrentReading();

private:
    ProgramState& m_state;
    ConnectionIndicator& m_indicator;
    FrameDisplay& m_lcd;
    RecordingControls& m_recordBar;
    Recorder& m_recorder;
};
