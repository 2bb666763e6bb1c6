#include "record/Recorder.h"

#include "base/LocaleTexts.h"
#include "base/UnkeptRows.h"
#include "base/UserMessages.h"
#include "base/Reading.h"
#include "chart/TChartControl.h"
#include "record/MeasurementTable.h"
#include "record/SamplingInterval.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kCaption = QStringLiteral("Tarvion TQ-612");

// Halves go to the even neighbour, whatever rounding mode the floating-point unit is in.
int64_t roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    int64_t rounded = int64_t(below);
    if (fraction > 0.5 || (fraction == 0.5 && rounded % 2 != 0))
        ++rounded;
    return rounded;
}

}  // namespace

Recorder::Recorder(MeasurementTable& table, TChartControl& pager, RecordingControls& controls,
                   RecorderHost& host, UserMessages& messages, const QLocale& locale)
    : m_table(table),
      m_pager(pager),
      m_controls(controls),
      m_host(host),
      m_messages(messages),
      m_locale(locale)
{
}

void Recorder::recordReading(const Reading& reading)
{
    if (m_RowCount < m_RecordLimit) {
        const bool sample = !m_controls.samplingTicked() || m_SampleTick == 0;
        if (sample) {
            const QByteArray signature = reading.text + reading.unitSymbol;
            if (m_controls.repeatTicked() || signature != m_TimeText) {
                m_TimeText = signature;
                m_SampleTick = intervalSeconds(m_controls.intervalText());
                ++m_RowCount;
                const QByteArray time = timeText();
                m_table.appendRow(m_RecordNo, time, reading.text, reading.unitSymbol);
                m_host.rowRecorded({m_RecordNo, time, reading.text, reading.unitSymbol, reading.value});
                m_host.setPageLabel(m_pager.AddPoint(double(reading.value)));
                raisePeak(double(reading.value));
            }
            // A sample the Repeat filter drops still uses up its number.
            ++m_RecordNo;
        }
    }
    if (m_RowCount == m_RecordLimit)
        promptAtLimit();
}

void Recorder::setLimit(int32_t limit)
{
    m_RecordLimit = limit;
    checkRecordLimit();
}

void Recorder::checkRecordLimit()
{
    if (m_RowCount >= m_RecordLimit)
        promptAtLimit();
}

void Recorder::takeRestoredRows(std::span<const float> readings, std::optional<int32_t> lastNo)
{
    if (lastNo)
        m_RecordNo = *lastNo + 1;
    m_RowCount = int32_t(readings.size());
    if (readings.empty())
        return;
    m_host.setPageLabel(m_pager.AddPoints(readings));
    // The axis only grows with the peak, so the largest reading leaves it where each in turn would.
    raisePeak(double(*std::max_element(readings.begin(), readings.end())));
}

QByteArray Recorder::timeText() const
{
    const QTime time = m_host.recallTicked() ? LocaleTexts::fromDayCount(m_StartTime).time()
                                             : m_host.currentTimeOfDay();
    return LocaleTexts::timeOfDayText(time, m_locale);
}

void Recorder::raisePeak(double value)
{
    if (value > m_PeakValue) {
        m_PeakValue = value;
        const int64_t peak = roundHalfToEven(m_PeakValue);
        m_pager.SetYMaximum(double((peak / 100 + 1) * 100));
    }
}

void Recorder::promptAtLimit()
{
    // Counted past the limit before asking: the box runs an event loop in which more readings
    // can arrive, and the save command may fail, and neither may record on or ask again.
    ++m_RowCount;
    const QString text = QStringLiteral("Measurement data exceeds %1 sets!Save and remove on-screen data before "
                                        "proceeding next measurement.")
                             .arg(m_RecordLimit);
    if (m_messages.askInBox(text, kCaption, MessageChoices::OkCancel, MessageTone::Question) == MessageAnswer::Ok)
        m_host.runSave();
}

void Recorder::tickSamplingTimer()
{
    if (m_controls.samplingTicked() && m_SampleTick > 0)
        --m_SampleTick;
}

void Recorder::restartSamplingCountdown()
{
    m_SampleTick = intervalSeconds(m_controls.intervalText());
}

void Recorder::closeData()
{
    if (m_messages.askInBox(withUnkeptRows(QStringLiteral("Do you want to remove on-screen data and create new data?"),
                                           m_host.unkeptRows()),
                            kCaption, MessageChoices::YesNo, MessageTone::Question)
        == MessageAnswer::Yes)
        startNewRecording();
}

void Recorder::startNewRecording()
{
    if (m_table.rowCount() > 0)
        m_table.empty();
    m_RecordNo = 1;
    m_RowCount = 0;
    m_pager.Reset();
    m_host.recordingEmptied();
}
