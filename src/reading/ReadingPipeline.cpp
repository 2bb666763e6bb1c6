#include "reading/ReadingPipeline.h"

#include "base/ProgramState.h"
#include "chart/ConnectionIndicator.h"
#include "display/FrameDecoder.h"
#include "display/FrameDisplay.h"
#include "record/Recorder.h"

ReadingPipeline::ReadingPipeline(ProgramState& state, ConnectionIndicator& indicator, FrameDisplay& lcd,
                                 RecordingControls& recordBar, Recorder& recorder)
    : m_state(state), m_indicator(indicator), m_lcd(lcd), m_recordBar(recordBar), m_recorder(recorder)
{
}

void ReadingPipeline::decodeFrame(const QByteArray& frameText)
{
    m_indicator.toggleConnectionIndicator();
    m_state.IdleTicks = 0;
    const DecodedFrame frame = ::decodeFrame(frameText, m_state.DecimalText, m_state.RangeMax, m_state.RangeMin);
    m_lcd.show(frame);
    const Reading reading = applyReading(frame, m_state);
    if (frame.conversionError)
        throw *frame.conversionError;
    m_recorder.recordReading(reading);
}

void ReadingPipeline::switchOffSamplingInterval()
{
    m_recordBar.switchOffSamplingInterval();
}

void ReadingPipeline::startNewRecording()
{
    m_recorder.startNewRecording();
}

int64_t ReadingPipeline::unkeptRows() const
{
    return m_recorder.unkeptRows();
}

void ReadingPipeline::connectionLost()
{
    m_indicator.showNotConnected();
}

void ReadingPipeline::recordCurrentReading()
{
    m_recorder.recordReading({m_state.ReadingText, m_state.ReadingValue, m_state.UnitSymbol});
}
