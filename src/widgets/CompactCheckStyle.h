#pragma once

#include <QProxyStyle>

// Check boxes with the classic desktop's 13-pixel box and 4-pixel gap before the caption.
// The layout's captions are measured for that: with a wider box, the caption of a check box
// runs into the edit box laid over its blanks.
class CompactCheckStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
