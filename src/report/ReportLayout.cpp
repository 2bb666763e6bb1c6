#include "report/ReportLayout.h"

ReportLayout::ReportLayout(int rowCount) : m_rowCount(rowCount < 0 ? 0 : rowCount)
{
    if (m_rowCount == 0)
        m_pageCount = 0;
    else if (m_rowCount <= kRowsOnLastPage)
        m_pageCount = 1;
    else
        m_pageCount = 1 + (m_rowCount - kRowsOnLastPage + kRowsPerPage - 1) / kRowsPerPage;
}

ReportLayout::Page ReportLayout::page(int index) const
{
    Page page;
    page.firstRow = index * kRowsPerPage;
    page.hasFooter = index < m_pageCount - 1;
    page.rowCount = page.hasFooter ? kRowsPerPage : m_rowCount - page.firstRow;
    return page;
}
