#include "display/GaugeZoom.h"

namespace {

constexpr int kEnlargedWidth = 470;

}  // namespace

GaugeZoomStep gaugeZoomStep(const QRect& panel, QSize windowOuterSize, const std::array<int32_t, 4>& savedBounds)
{
    if (panel.width() >= kEnlargedWidth) {
        const auto [width, height, top, left] = savedBounds;
        const QRect restored(left, top, width, height);
        return {restored, QRect(2, 2, width - 4, height - 4), false, savedBounds};
    }
    const QRect enlarged(2, 28, windowOuterSize.width() - 12, windowOuterSize.height() - 80);
    return {enlarged, QRect(2, 2, enlarged.width() - 40, enlarged.height() - 140), true,
            {panel.width(), panel.height(), panel.top(), panel.left()}};
}
