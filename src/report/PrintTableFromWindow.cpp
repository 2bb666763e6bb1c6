#include "report/PrintTableFromWindow.h"

#include "dialogs/MessageDialogs.h"
#include "report/ReportPreview.h"
#include "report/TablePrintCommand.h"

#include <QDate>
#include <QLocale>
#include <QWidget>

void PrintTableFromWindow(QWidget* window, MessageDialogs& dialogs, bool& printingFlag, const MeasurementTable& table)
{
    TablePrintCommand::Steps steps;
    steps.showPreview = [window](const TableReport& report) {
        ReportPreview preview(report, window);
        preview.exec();
    };
    steps.tellTableEmpty = [&dialogs] {
        dialogs.showMessage(QStringLiteral("The table holds no readings, so there is nothing to print."),
                            MessageKind::Information, MessageButton::OK);
    };
    steps.repaintWindow = [window] { window->update(); };
    TablePrintCommand(printingFlag, std::move(steps)).run(table, QDate::currentDate(), QLocale::system());
}
