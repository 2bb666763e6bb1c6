// A session in a program without widgets and without a display, as a recorder without a window
// runs it: built in a QCoreApplication, it records what a simulated cable brings into its table,
// its chart and its journal. The executable links no Qt Widgets, and the build checks that the
// session's libraries bring none in.
#include "ScreenlessPanels.h"
#include "journal/JournalDatabase.h"
#include "journal/RecordingJournal.h"
#include "link/CableConnection.h"
#include "record/MeasurementTable.h"
#include "session/MeasurementSession.h"
#include "sim/SimulatedHidBackend.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Nobody to ask: every question is declined and every notice kept.
struct UnattendedMessages : UserMessages {
    QStringList told;
    MessageAnswer askInBox(const QString& text, const QString&, MessageChoices, MessageTone) override
    {
        told << text;
        return MessageAnswer::Cancel;
    }
    MessageAnswer askInDialog(const QString& text, MessageTone, MessageChoices) override
    {
        told << text;
        return MessageAnswer::Ok;
    }
};

}  // namespace

class HeadlessSessionTest : public QObject {
    Q_OBJECT

private slots:
    void recordsFromTheCableWithoutWidgets()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
        QTemporaryDir folder;
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 10.0});
        bus->plugCable();
        UnattendedMessages messages;
        ScreenlessPanels panels;
        MeasurementSession session(panels.ports(messages), bus, {}, folder.path());
        QCOMPARE(panels.devices, QList<QByteArray>{"USB to Serial"});
        panels.selectedRow = 0;

        panels.connect = true;
        session.cable().connectOrDisconnect();
        QTRY_VERIFY_WITH_TIMEOUT(session.table().rowCount() >= 10, 10000);
        panels.connect = false;
        session.cable().connectOrDisconnect();

        const int rows = session.table().rowCount();
        QCOMPARE(session.chart().series(0).count(), int64_t(rows) + 1);
        session.journal()->flush();
        JournalDatabase kept(folder.filePath(RecordingJournal::kFileName), JournalDatabase::Access::ReadOnly);
        const std::vector<JournalRecording> recordings = kept.recordings();
        QCOMPARE(recordings.size(), size_t(1));
        QCOMPARE(recordings[0].rows, int64_t(rows));
        QVERIFY2(messages.told.isEmpty(), qPrintable(messages.told.join('\n')));
    }
};

QTEST_GUILESS_MAIN(HeadlessSessionTest)
#include "HeadlessSessionTest.moc"
