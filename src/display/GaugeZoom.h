#pragma once

#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

// The gauge panel's two sizes: normal, and enlarged over almost the whole window. A panel 470
// pixels wide or more counts as enlarged.
struct GaugeZoomStep {
    QRect panel;
    QRect picture;
    bool enlarged;
    // The normal panel's width, height, top and left, kept while enlarged.
    std::array<int32_t, 4> savedBounds;
};

// One press of the enlarge or restore button: from normal to enlarged (saving the normal
// bounds), or back to the saved bounds. The window's outer size includes its frame.
GaugeZoomStep gaugeZoomStep(const QRect& panel, QSize windowOuterSize, const std::array<int32_t, 4>& savedBounds);
