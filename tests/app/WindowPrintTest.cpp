// The record bar's print button on the real window, fed by the simulated cable: the preview
// holds the printing flag, and readings that arrive meanwhile are neither shown nor recorded.
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "font/LcdFont.h"
#include "NamedControl.h"
#include "report/ReportPreview.h"
#include "sim/SimulatedHidBackend.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

// What the preview showed and what happened while it was open.
struct PreviewVisit {
    bool seen = false;
    bool flagWhileOpen = false;
    QString pageLabel;
    int rowsWhenOpened = -1;
    int rowsWhenClosed = -1;
};

class WindowPrintTest : public QObject {
    Q_OBJECT

    std::shared_ptr<SimulatedHidBackend> m_bus;
    std::unique_ptr<TFCOMM> m_window;

    int rows() const { return named<QTableView>(*m_window, "DBGrid1")->model()->rowCount(); }

    // Presses BtPrint; once the preview is up, `whileOpen` runs and the preview is closed.
    PreviewVisit print(const std::function<void()>& whileOpen = {})
    {
        PreviewVisit visit;
        QTimer::singleShot(0, m_window.get(), [&] {
            auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            visit.seen = preview->isVisible();
            visit.flagWhileOpen = m_window->state().Printing;
            visit.pageLabel = named<QLabel>(*preview, "PreviewPageLabel")->text();
            visit.rowsWhenOpened = rows();
            if (whileOpen)
                whileOpen();
            visit.rowsWhenClosed = rows();
            named<QPushButton>(*preview, "PreviewClose")->click();
        });
        named<QToolButton>(*m_window, "BtPrint")->click();
        return visit;
    }

private slots:
    void init()
    {
        freshAnswers();
        m_bus = std::make_shared<SimulatedHidBackend>(SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
        m_bus->plugCable({});
        m_window = std::make_unique<TFCOMM>(windowDialogs(), m_bus);
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        m_window->show();
    }

    void cleanup()
    {
        m_window.reset();
        m_bus.reset();
    }

    void readingsWaitWhileThePreviewIsOpen()
    {
        named<QToolButton>(*m_window, "USBCon")->click();
        QTRY_VERIFY(rows() >= 3);
        const PreviewVisit visit = print([] { QTest::qWait(400); });
        QVERIFY(visit.seen);
        QVERIFY(visit.flagWhileOpen);
        QCOMPARE(visit.pageLabel, QStringLiteral("Page 1 of 1"));
        QCOMPARE(visit.rowsWhenClosed, visit.rowsWhenOpened);
        QVERIFY(!m_window->state().Printing);
        QTRY_VERIFY(rows() > visit.rowsWhenClosed);
        QVERIFY(windowDialogs().shown.isEmpty());
    }

    void anEmptyTableSaysSoInsteadOfAPreview()
    {
        const PreviewVisit visit = print();
        QVERIFY(!visit.seen);
        QVERIFY(!m_window->state().Printing);
        QCOMPARE(windowDialogs().shown.size(), 1);
        QVERIFY(windowDialogs().shown[0].contains(QLatin1String("nothing to print")));
    }
};

}  // namespace

TQ612_WINDOW_TEST_MAIN(WindowPrintTest)

#include "WindowPrintTest.moc"
