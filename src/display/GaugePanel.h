#pragma once

#include "display/DialGauge.h"
#include "widgets/BevelPanel.h"

#include <QImage>

#include <array>
#include <cstdint>

class QLabel;
class QToolButton;

// The dial gauge's frame: the picture KD1 the gauge is drawn into, the enlarge and restore
// buttons and the overload sign. Built hidden. The picture is made at KD1's size when the gauge
// is first drawn and keeps that size; KD1 shows it stretched to whatever size KD1 has then.
class GaugePanel : public BevelPanel, public GaugeSurface {
    Q_OBJECT
public:
    explicit GaugePanel(QWidget* parent);

    QSize panelSize() const override;
    QColor panelBackground() const override;
    QImage& picture() override;
    void pictureChanged() override;

    // Enlarges the panel over the window or restores its saved bounds; says whether it is now
    // enlarged. Neither redraws: the picture is stretched to the new size.
    bool toggleEnlarged(QSize windowOuterSize, std::array<int32_t, 4>& savedBounds);
    // Keeps the two zoom buttons 30 pixels from the right edge.
    void placeZoomButtons();

    QToolButton* enlargeButton() const { return m_enlarge; }  // KdFd
    QToolButton* restoreButton() const { return m_restore; }  // KdSx

signals:
    // The panel's size changed, also while it is hidden, when Qt holds its resize events back.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_image = nullptr;  // KD1
    QToolButton* m_enlarge = nullptr;
    QToolButton* m_restore = nullptr;
    QImage m_picture;
};
