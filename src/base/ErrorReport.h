#pragma once

#include <QString>
#include <exception>

class UserMessages;

// The application's standard error report: a failure that escapes a handler is shown in a
// message box captioned "TQ-612" with the error icon, and the event loop goes on.
namespace ErrorReport {

// The failure's text with a full stop appended when its last character sorts after ".".
QString reportText(const QString& message);

// Shows the report for a caught failure.
void show(UserMessages& messages, const std::exception& error);
void show(UserMessages& messages, const QString& message);

}  // namespace ErrorReport
