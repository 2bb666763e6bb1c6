#include "report/PrintTableFromWindow.h"

#include "base/UserMessages.h"
#include "report/ReportPreview.h"
#include "report/TablePrintCommand.h"

#include <QDate>
#include <QLocale>
#include <QWidget>

void PrintTableFromWindow(QWidget* window, UserMessages& messages, bool& printingFlag, const MeasurementTable& table)
{
    TablePrintCommand::Steps steps;
    steps.showPreview = [window](const TableReport& report) {
        ReportPreview preview(report, window);
        preview.exec();
    };
    steps.tellTableEmpty = [&messages] {
        messages.tell(QStringLiteral("The table holds no readings, so there is nothing to print."), MessageTone::Information);
    };
    steps.repaintWindow = [window] { window->update(); };
    TablePrintCommand(printingFlag, std::move(steps)).run(table, QDate::currentDate(), QLocale::system());
}
