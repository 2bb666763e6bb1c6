#pragma once

#include "widgets/DelayedProgress.h"

#include <QString>

#include <chrono>

class MeasurementTable;
class MessageDialogs;
class QWidget;

// SaveTableToFile for the window. A save still running after showAfter puts up a window-modal
// progress dialog and from then on lets events through between blocks of rows, so the window
// stays painted and readings keep being recorded; the dialog is gone before the outcome
// message appears.
void SaveTableShowingProgress(QWidget* window, MessageDialogs& dialogs, MeasurementTable& table,
                              const QString& fileName,
                              std::chrono::milliseconds showAfter = DelayedProgress::kShowAfter);
