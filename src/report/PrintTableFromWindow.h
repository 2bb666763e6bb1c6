#pragma once

class MeasurementTable;
class UserMessages;
class QWidget;

// The print command as the main window runs it: the report over the table in a modal preview
// in front of the window, today's date in the user's short date format, the notice for an empty
// table in the message dialog, and the window repainted afterwards. printingFlag is set while
// the preview is open.
void PrintTableFromWindow(QWidget* window, UserMessages& messages, bool& printingFlag, const MeasurementTable& table);
