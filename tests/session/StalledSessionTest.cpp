// The GUI thread busy for seconds loses no reading. The simulated cable runs by the clock and
// its handle keeps 64 unread reports, as hidraw does, so a reader that waited for the GUI thread
// would lose what came meanwhile.
#include "AnsweredMessages.h"
#include "ScreenlessPanels.h"
#include "dialogs/PlatformMessageBox.h"
#include "link/CableConnection.h"
#include "session/MeasurementSession.h"
#include "sim/SimulatedHidBackend.h"

#include <QThread>
#include <QtTest>

class StalledSessionTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_bus = std::make_shared<SimulatedHidBackend>(SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 1.0});
        m_cable = m_bus->plugCable();
        m_dialogs.answerBox = [](const AnsweredMessages::Box&) { return int(PlatformMessageBox::IDYES); };
        m_panels = std::make_unique<ScreenlessPanels>();
        m_session = std::make_unique<MeasurementSession>(m_panels->ports(m_dialogs), m_bus, ComPortPaths{});
        m_panels->selectedRow = 0;
    }
    void cleanup()
    {
        m_session.reset();
        m_panels.reset();
        m_dialogs.reset();
        m_bus.reset();
    }

    void downloadThroughAStallBringsEveryStoredReading()
    {
        m_panels->download = true;
        m_panels->connect = true;
        m_session->cable().connectOrDisconnect();
        QThread::msleep(5000);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->table().rowCount(), 10, 10000);
        QCOMPARE(framesSent(), 10);
        QCOMPARE(rowText(m_session->table(), 9).split('|').value(2), QByteArray(" 21.7"));
        QVERIFY(!overflowTold());
    }

    void liveRecordingThroughAStallRecordsEveryFrame()
    {
        m_panels->connect = true;
        m_session->cable().connectOrDisconnect();
        QTRY_VERIFY_WITH_TIMEOUT(m_session->table().rowCount() >= 2, 10000);
        QThread::msleep(10000);
        QVERIFY(framesSent() >= 20);
        // Caught up: the rows keep pace with the frames sent, short of the frame on its way. A
        // frame lost in the stall would leave them behind for good.
        QTRY_VERIFY2_WITH_TIMEOUT(
            m_session->table().rowCount() >= framesSent() - 1,
            qPrintable(QStringLiteral("%1 rows, %2 frames sent").arg(m_session->table().rowCount()).arg(framesSent())),
            5000);
        QVERIFY(m_session->table().rowCount() <= framesSent());
        QVERIFY(!overflowTold());
    }

private:
    bool overflowTold() const
    {
        return std::any_of(m_panels->history.begin(), m_panels->history.end(),
                           [](const QByteArray& line) { return line.startsWith("READ OVERFLOW"); });
    }
    int64_t framesSent()
    {
        int64_t sent = 0;
        m_bus->withCable(m_cable, [&sent](SimulatedCable& cable) { sent = cable.thermometer().readingFramesSent(); });
        return sent;
    }

    std::shared_ptr<SimulatedHidBackend> m_bus;
    SimulatedHidBackend::DeviceId m_cable = 0;
    AnsweredMessages m_dialogs;
    std::unique_ptr<ScreenlessPanels> m_panels;
    std::unique_ptr<MeasurementSession> m_session;
};

QTEST_GUILESS_MAIN(StalledSessionTest)
#include "StalledSessionTest.moc"
