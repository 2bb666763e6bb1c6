#include "widgets/CompactCheckStyle.h"

int CompactCheckStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return 13;
    case PM_CheckBoxLabelSpacing:
        return 4;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
