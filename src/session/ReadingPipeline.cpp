#include "session/ReadingPipeline.h"

#include "chart/ConnectionIndicator.h"
#include "display/FrameDecoder.h"
#include "display/FrameDisplay.h"
#include "record/Recorder.h"

ReadingPipeline::ReadingPipeline(DecodeSettings& settings, ConnectionIndicator& indicator, FrameDisplay& lcd,
                                 RecordingControls& recordBar, Recorder& recorder)
    : m_settings(settings), m_indicator(indicator), m_lcd(lcd), m_recordBar(recordBar), m_recorder(recorder)
{
}

void ReadingPipeline::decodeFrame(const QByteArray& frameText)
{
    m_indicator.toggleConnectionIndicator();
    if (m_onFrameDecoded)
        m_onFrameDecoded();
    const DecodedFrame frame = ::decodeFrame(frameText, m_settings.DecimalText, m_settings.RangeMax, m_settings.RangeMin);
    m_lcd.show(frame);
    const Reading reading = applyReading(frame, m_current);
    if (frame.conversionError)
        throw *frame.conversionError;
    m_recorder.recordReading(reading);
}

void ReadingPipeline::setMeasuringRange(int32_t max, int32_t min)
{
    m_settings.RangeMax = max;
    m_settings.RangeMin = min;
}

int32_t ReadingPipeline::nextRecordNo() const
{
    return m_recorder.recordNo();
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
    m_recorder.recordReading(m_current);
}
