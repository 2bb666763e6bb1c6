#pragma once

class ChartView;
class QFileDialog;
class UserMessages;

// The chart tool bar's save command on screen: the picture dialog, the chart as drawn, the
// clipboard, today's date in the user's locale.
void saveChartPicture(QFileDialog* pictureDialog, ChartView& chart, UserMessages& messages);
