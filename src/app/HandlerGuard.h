#pragma once

#include <functional>

class UserMessages;

// Runs one of the window's handlers. A failure that escapes it is shown here as the standard
// error report and goes no further: an exception may not unwind through Qt's event dispatch,
// which is not written for it.
void runReportingFailure(UserMessages& messages, const std::function<void()>& handler);
