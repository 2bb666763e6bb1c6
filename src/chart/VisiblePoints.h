#pragma once

#include <QList>
#include <QPointF>

class ChartSeries;

// The points of a series that a plot showing the positions minX .. maxX across `columns` pixel
// columns needs: those inside the range, and where the line crosses an end of the range, the point
// at which it does (found from the nearest point outside). When the range holds more than four points per column, each column keeps only
// its first, lowest, highest and last point: the line then covers the same pixels, at a cost that
// depends on the plot's width instead of the number of points.
QList<QPointF> visiblePoints(const ChartSeries& series, double minX, double maxX, int columns);
