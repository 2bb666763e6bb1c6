#pragma once

#include "record/Recorder.h"
#include "widgets/BevelPanel.h"

#include <array>
#include <cstdint>

class UserMessages;
class QCheckBox;
class QLineEdit;

// The start time of a download (hours, minutes, seconds) with the RecallData box that stamps
// recorded rows with it, and the download's interval. Placed under the right column.
class StartTimePanel : public BevelPanel, public StartTimeControls {
    Q_OBJECT
public:
    // "Input error!" is shown through the messages given.
    StartTimePanel(UserMessages& messages, QWidget* parent);

    bool recallTicked() const override;
    // Ticked: the start time reads 00:00:00; unticked: 23:59:59.
    void showRecallDefaults();
    // Throws the integer rule's ProgramError for a field that is not a number.
    void checkStartTimeFields() const;
    // Says "Input error!" for an hour above 23 or a minute or second above 59 and puts "00"
    // in that field; a field that is not a number changes nothing.
    void correctStartTimeFields();

    QCheckBox* recallBox() const { return m_recall; }
    // TimeH, TimeM, TimeS and TimeInt: a change to any restarts the sampling countdown.
    std::array<QLineEdit*, 4> timeBoxes() const { return {m_hours, m_minutes, m_seconds, m_interval}; }

signals:
    // A key released in the hours, minutes or seconds box.
    void startTimeKeyReleased();
    // The focus left RecallCheck for another control of the window.
    void recallBoxLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<int32_t, 3> startTimeFields() const;

    UserMessages& m_messages;
    QCheckBox* m_recall = nullptr;
    QLineEdit* m_hours = nullptr;
    QLineEdit* m_minutes = nullptr;
    QLineEdit* m_seconds = nullptr;
    QLineEdit* m_interval = nullptr;
};
