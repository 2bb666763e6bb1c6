#pragma once

#include "link/CablePanelControls.h"
#include "widgets/BevelPanel.h"

class QCheckBox;
class QPushButton;
class QToolButton;

// The bar across the top of the window: the Connect toggle, the Download Data box and Exit.
class TopBar : public BevelPanel, public ConnectionControls {
    Q_OBJECT
public:
    explicit TopBar(QWidget* parent);

    bool connectTicked() const override;
    void releaseConnectToggle() override;
    void setConnectCaption(const QString& caption) override;
    bool downloadTicked() const override;
    void setDownloadEnabled(bool enabled) override;

    QToolButton* connectButton() const { return m_connect; }  // USBCon
    QPushButton* exitButton() const { return m_exit; }        // BitBtn1

private:
    QToolButton* m_connect = nullptr;
    QCheckBox* m_download = nullptr;  // RecallData
    QPushButton* m_exit = nullptr;
};
