#pragma once

#include "base/LinkPorts.h"
#include "base/Reading.h"

#include <QByteArray>
#include <functional>

class ConnectionIndicator;
class FrameDisplay;
class RecordingControls;
class Recorder;
struct DecodeSettings;

// The one road a display frame takes, whichever link brought it: decoded, shown on the LCD
// copy, then recorded into the table and the chart. The cable's report framer and the serial
// receive handler both end here. It holds the last frame either link closed and the current
// reading.
class ReadingPipeline : public ReadingTarget {
public:
    ReadingPipeline(DecodeSettings& settings, ConnectionIndicator& indicator, FrameDisplay& lcd,
                    RecordingControls& recordBar, Recorder& recorder);

    void frameClosed(const QByteArray& frameText) override { m_FrameText = frameText; }
    // One frame: one hex digit per byte. A frame whose digits are not a number still shows on
    // the LCD and still sets the current reading's text and unit; its ProgramError is thrown
    // afterwards, with the value left as it was and nothing recorded.
    void decodeFrame(const QByteArray& frameText) override;
    void setMeasuringRange(int32_t max, int32_t min) override;
    int32_t nextRecordNo() const override;
    void switchOffSamplingInterval() override;
    void startNewRecording() override;
    void connectionLost() override;
    int64_t unkeptRows() const override;

    // The last frame a link closed, FrameText, decoded or not.
    const QByteArray& frameText() const { return m_FrameText; }
    // The current reading: the last decoded frame's text and unit, and the last value a frame
    // carried.
    const Reading& currentReading() const { return m_current; }
    // Records the current reading, as a frame that decoded does.
    void recordCurrentReading();
    // Called for every frame decoded, before it is shown: the cable's watchdog hears that the
    // meter talks.
    void setOnFrameDecoded(std::function<void()> onFrameDecoded) { m_onFrameDecoded = std::move(onFrameDecoded); }

private:
    DecodeSettings& m_settings;
    ConnectionIndicator& m_indicator;
    FrameDisplay& m_lcd;
    RecordingControls& m_recordBar;
    Recorder& m_recorder;
    std::function<void()> m_onFrameDecoded;
    QByteArray m_FrameText;
    Reading m_current;
};
