#include "report/TablePrintCommand.h"

#include "base/LocaleTexts.h"
#include "record/MeasurementTable.h"
#include "report/TableReport.h"

namespace {

// Clears the flag and repaints on the way out, whether the preview returned or threw.
class PreviewOpen {
public:
    PreviewOpen(bool& flag, const std::function<void()>& repaint) : m_flag(flag), m_repaint(repaint)
    {
        m_flag = true;
    }
    ~PreviewOpen()
    {
        m_flag = false;
        if (m_repaint)
            m_repaint();
    }
    PreviewOpen(const PreviewOpen&) = delete;
    PreviewOpen& operator=(const PreviewOpen&) = delete;

private:
    bool& m_flag;
    const std::function<void()>& m_repaint;
};

}  // namespace

TablePrintCommand::TablePrintCommand(bool& printingFlag, Steps steps) : m_printing(printingFlag), m_steps(std::move(steps))
{
}

void TablePrintCommand::run(const MeasurementTable& table, const QDate& date, const QLocale& locale)
{
    if (table.rowCount() == 0) {
        m_steps.tellTableEmpty();
        return;
    }
    PreviewOpen open(m_printing, m_steps.repaintWindow);
    const TableReport report(table, QString::fromLocal8Bit(LocaleTexts::shortDateText(date, locale)));
    m_steps.showPreview(report);
}
