#include "report/ReportPreview.h"

#include "report/ReportPageView.h"
#include "report/ReportPrinting.h"
#include "report/TableReport.h"
#include "widgets/DelayedProgress.h"
#include "widgets/Icons.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Zoom choices; 0 stands for "the page's width fills the window".
constexpr double kPageWidthZoom = 0.0;
constexpr std::pair<const char*, double> kZoomChoices[] = {
    {"Page width", kPageWidthZoom}, {"50 %", 0.5}, {"75 %", 0.75}, {"100 %", 1.0}, {"150 %", 1.5}, {"200 %", 2.0},
};
constexpr int kStartZoomChoice = 3;  // 100 %

}  // namespace

ReportPreview::ReportPreview(const TableReport& report, QWidget* parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setSizeGripEnabled(true);

    auto* bar = new QHBoxLayout;
    m_first = toolButton("PreviewFirst", QStringLiteral("First page"), Icons::firstPage());
    m_previous = toolButton("PreviewPrevious", QStringLiteral("Previous page"), Icons::previousPage());
    m_next = toolButton("PreviewNext", QStringLiteral("Next page"), Icons::nextPage());
    m_last = toolButton("PreviewLast", QStringLiteral("Last page"), Icons::lastPage());
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("PreviewPageLabel"));
    buildZoomChoice();
    auto* print = new QPushButton(QIcon(Icons::printer()), QStringLiteral("&Print..."), this);
    print->setObjectName(QStringLiteral("PreviewPrint"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("PreviewClose"));
    for (QWidget* control : std::initializer_list<QWidget*>{m_first, m_previous, m_next, m_last, m_pageLabel})
        bar->addWidget(control);
    bar->addSpacing(16);
    bar->addWidget(m_zoom);
    bar->addStretch();
    bar->addWidget(print);
    bar->addWidget(close);

    m_view = new ReportPageView(report, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewPages"));
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_last, &QToolButton::clicked, this, [this] { showPage(m_report.layout.pageCount() - 1); });
    connect(print, &QPushButton::clicked, this, &ReportPreview::printWithDialog);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(m_view->sizeHint().width() + 60, 760);
    showPageState();
}

QToolButton* ReportPreview::toolButton(const char* name, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

void ReportPreview::buildZoomChoice()
{
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("PreviewZoom"));
    for (const auto& [text, zoom] : kZoomChoices)
        m_zoom->addItem(QString::fromLatin1(text), zoom);
    m_zoom->setCurrentIndex(kStartZoomChoice);
    connect(m_zoom, &QComboBox::currentIndexChanged, this, &ReportPreview::applyZoom);
}

void ReportPreview::applyZoom(int choice)
{
    double zoom = m_zoom->itemData(choice).toDouble();
    if (zoom == kPageWidthZoom)
        zoom = ReportPageView::zoomForWidth(m_scroll->viewport()->width()
                                            - m_scroll->verticalScrollBar()->sizeHint().width());
    m_view->setZoom(zoom);
}

int ReportPreview::currentPage() const
{
    return m_view->page();
}

void ReportPreview::showPage(int index)
{
    const int last = m_report.layout.pageCount() - 1;
    m_view->setPage(std::clamp(index, 0, std::max(0, last)));
    m_scroll->verticalScrollBar()->setValue(0);
    showPageState();
}

void ReportPreview::showPageState()
{
    const int pages = m_report.layout.pageCount();
    const int page = currentPage();
    m_pageLabel->setText(QStringLiteral("Page %1 of %2").arg(pages == 0 ? 0 : page + 1).arg(pages));
    m_first->setEnabled(page > 0);
    m_previous->setEnabled(page > 0);
    m_next->setEnabled(page < pages - 1);
    m_last->setEnabled(page < pages - 1);
}

void ReportPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // "Page width" follows the window.
    if (m_zoom->currentData().toDouble() == kPageWidthZoom)
        applyZoom(m_zoom->currentIndex());
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(currentPage() + 1);
        return;
    case Qt::Key_PageUp:
        showPage(currentPage() - 1);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(m_report.layout.pageCount() - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void ReportPreview::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    setUpReportPrinter(printer);
    const int pages = m_report.layout.pageCount();
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, std::max(1, pages));
    if (dialog.exec() != QDialog::Accepted)
        return;

    DelayedProgress progress(this, {QStringLiteral("Printing the table..."), QStringLiteral("Cancel"),
                                    QStringLiteral("PrintProgress")});
    printReport(m_report, printer, progress.callback());
}
