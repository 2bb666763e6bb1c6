#pragma once

#include "record/Recorder.h"
#include "widgets/BevelPanel.h"

class QCheckBox;
class QLineEdit;
class QToolButton;

// The bar between the LCD copy and the grid: the Repeat filter, the sampling interval with its
// seconds box, and the Close Data, open, save and print buttons.
class RecordBar : public BevelPanel, public RecordingControls {
    Q_OBJECT
public:
    explicit RecordBar(QWidget* parent);

    bool repeatTicked() const override;
    bool samplingTicked() const override;
    QByteArray intervalText() const override;

    void switchOffSamplingInterval() override;

    QLineEdit* intervalBox() const { return m_interval; }         // RecordSITime
    QToolButton* closeDataButton() const { return m_closeData; }  // RecordNew
    QToolButton* openButton() const { return m_open; }            // OpenDataFiles
    QToolButton* saveButton() const { return m_save; }            // saveas
    QToolButton* printButton() const { return m_print; }          // BtPrint

private:
    QCheckBox* m_repeat = nullptr;
    QCheckBox* m_sampling = nullptr;
    QLineEdit* m_interval = nullptr;
    QToolButton* m_closeData = nullptr;
    QToolButton* m_open = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_print = nullptr;
};
