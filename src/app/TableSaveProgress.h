#pragma once

#include "widgets/DelayedProgress.h"

#include <QString>

#include <chrono>

class MeasurementTable;
class UserMessages;
class QWidget;

// SaveTableToFile for the window. A save still running after showAfter puts up a window-modal
// progress dialog and from then on lets events through between blocks of rows, so the window
// stays painted and readings keep being recorded; the dialog is gone before the outcome
// message appears. Returns whether the file was saved.
bool SaveTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName,
                              std::chrono::milliseconds showAfter = DelayedProgress::kShowAfter);
