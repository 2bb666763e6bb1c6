#pragma once

#include <QByteArray>

// One reading as the instrument showed it: what the table's Value and Unit columns hold and the
// number the chart plots. A frame without a number (dashes) keeps the previous value.
struct Reading {
    QByteArray text;  // "21.6", "----", ...
    float value = 0.0f;
    QByteArray unitSymbol;  // "#" Celsius or "?" Fahrenheit, as the segment font draws them
};
