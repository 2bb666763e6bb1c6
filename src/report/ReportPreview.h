#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;
class ReportPageView;
struct TableReport;

// The report's preview window: pages through the report one page at a time, zooms, and prints
// on a printer the user chooses (or into a PDF file, which the print dialog offers).
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const TableReport& report, QWidget* parent);

    int currentPage() const;
    void showPage(int index);

    // The print dialog, then every chosen page with a progress dialog that can stop it.
    void printWithDialog();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* toolButton(const char* name, const QString& hint, const QIcon& icon);
    void buildZoomChoice();
    void applyZoom(int choice);
    void showPageState();

    const TableReport& m_report;
    ReportPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QLabel* m_pageLabel = nullptr;
    QComboBox* m_zoom = nullptr;
};
