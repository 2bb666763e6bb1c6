// The record bar's print button on the real window, fed by the simulated cable: the preview
// holds the printing flag, readings go on being shown and recorded while it is open (a download
// runs to its end), and the report keeps the rows it was opened with.
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

// The most rows a report prints on one page: one more makes a second page.
constexpr int kOnePageOfRows = 37;

// What the preview showed and what happened while it was open.
struct PreviewVisit {
    bool seen = false;
    bool flagWhileOpen = false;
    QString pageLabel;
    QString pageLabelWhenClosed;
    bool nextPageWhenClosed = false;
    int rowsWhenOpened = -1;
    int rowsWhenClosed = -1;
};

class WindowPrintTest : public QObject {
    Q_OBJECT

    std::shared_ptr<SimulatedHidBackend> m_bus;
    SimulatedHidBackend::DeviceId m_cable = -1;
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
            visit.flagWhileOpen = m_window->printing();
            visit.pageLabel = named<QLabel>(*preview, "PreviewPageLabel")->text();
            visit.rowsWhenOpened = rows();
            if (whileOpen)
                whileOpen();
            visit.rowsWhenClosed = rows();
            visit.pageLabelWhenClosed = named<QLabel>(*preview, "PreviewPageLabel")->text();
            visit.nextPageWhenClosed = named<QToolButton>(*preview, "PreviewNext")->isEnabled();
            named<QPushButton>(*preview, "PreviewClose")->click();
        });
        named<QToolButton>(*m_window, "BtPrint")->click();
        return visit;
    }

    bool stopWasLastSent() const
    {
        const auto sent = m_bus->receivedReports(m_cable);
        return !sent.empty() && sent.back().kind == SimulatedHidBackend::ReceivedReport::Output
               && sent.back().bytes.size() > 2 && uint8_t(sent.back().bytes[2]) == 91;
    }

private slots:
    void init()
    {
        freshAnswers();
        // Paced by its clock, ten times faster than real: unpaced, the reader (which reads ahead of
        // the window) would race through the download and the silence after it, and the
        // watchdog would give up on the meter before the preview closes.
        m_bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 10.0});
        m_cable = m_bus->plugCable({});
        m_window = std::make_unique<TFCOMM>(windowDialogs(), m_bus);
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        m_window->show();
    }

    void cleanup()
    {
        m_window.reset();
        m_bus.reset();
    }

    void readingsGoOnWhileThePreviewIsOpen_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("live readings") << false;
        QTest::newRow("a download of the stored readings") << true;
    }
    void readingsGoOnWhileThePreviewIsOpen()
    {
        QFETCH(bool, download);
        // No to the download's question, so the rows printed stay in the table.
        AnsweredMessages& messages = freshAnswers(7);
        receiveReadings(*m_window, kOnePageOfRows);
        named<QCheckBox>(*m_window, "RecallData")->setChecked(download);
        constexpr int kStoredReadings = 10;  // what the simulated thermometer holds

        const PreviewVisit visit = print([&] {
            named<QToolButton>(*m_window, "USBCon")->click();
            if (download) {
                QTRY_VERIFY(stopWasLastSent());
                QCOMPARE(rows(), kOnePageOfRows + kStoredReadings);
            } else {
                QTRY_VERIFY(rows() >= kOnePageOfRows + 3);
            }
        });

        QVERIFY(visit.seen);
        QVERIFY(visit.flagWhileOpen);
        QCOMPARE(visit.rowsWhenOpened, kOnePageOfRows);
        QVERIFY(visit.rowsWhenClosed > kOnePageOfRows);
        // The report is the table as it stood when the preview opened: still one page.
        QCOMPARE(visit.pageLabel, QStringLiteral("Page 1 of 1"));
        QCOMPARE(visit.pageLabelWhenClosed, QStringLiteral("Page 1 of 1"));
        QVERIFY(!visit.nextPageWhenClosed);
        QVERIFY(!m_window->printing());
        QCOMPARE(messages.shown, download ? QStringList{"Are you sure that you want to delete this record?"}
                                          : QStringList{});
        if (!download)
            QTRY_VERIFY(rows() > visit.rowsWhenClosed);
    }

    void anEmptyTableSaysSoInsteadOfAPreview()
    {
        const PreviewVisit visit = print();
        QVERIFY(!visit.seen);
        QVERIFY(!m_window->printing());
        QCOMPARE(windowDialogs().shown.size(), 1);
        QVERIFY(windowDialogs().shown[0].contains(QLatin1String("nothing to print")));
    }
};

}  // namespace

TQ612_WINDOW_TEST_MAIN(WindowPrintTest)

#include "WindowPrintTest.moc"
