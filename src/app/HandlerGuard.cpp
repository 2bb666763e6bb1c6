#include "app/HandlerGuard.h"

#include "base/ErrorReport.h"

#include <exception>

void runReportingFailure(UserMessages& messages, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ErrorReport::show(messages, error);
    } catch (...) {
        ErrorReport::show(messages, QStringLiteral("Unknown error"));
    }
}
