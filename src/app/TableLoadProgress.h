#pragma once

#include "widgets/DelayedProgress.h"

#include <QString>

#include <chrono>

class MeasurementTable;
class UserMessages;
class QWidget;

// LoadTableFromFile for the window. A load still running after showAfter puts up a
// window-modal progress dialog with a Cancel button and from then on lets events through
// between blocks of the file, so the window stays painted and readings keep being recorded.
// Cancelling keeps the rows loaded so far and shows no message; the dialog is gone before a
// failure message appears.
void LoadTableShowingProgress(QWidget* window, UserMessages& messages, MeasurementTable& table,
                              const QString& fileName,
                              std::chrono::milliseconds showAfter = DelayedProgress::kShowAfter);
