// A whole recording with a measurement session and no window: the simulated cable's readings
// through the real HID layer into table rows and chart points, then saved and loaded back.
#include "AnsweredMessages.h"
#include "ScreenlessPanels.h"
#include "dialogs/PlatformMessageBox.h"
#include "link/CableConnection.h"
#include "record/MeasurementTable.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"
#include "journal/RecordingJournal.h"
#include "sim/SimulatedHidBackend.h"
#include "tablefile/TableExport.h"
#include "tablefile/TableImport.h"

#include <QTemporaryDir>
#include <QtTest>

class SessionRecordingTest : public QObject {
    Q_OBJECT

private slots:
    void recordsSavesAndLoadsWithoutAWindow()
    {
        // By its clock, ten times faster than real: unpaced, the reader would race ahead of the
        // session by thousands of frames.
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::RealTime, 10.0});
        bus->plugCable();
        AnsweredMessages dialogs;
        ScreenlessPanels panels;
        MeasurementSession session(panels.ports(dialogs), bus, {});
        QCOMPARE(panels.devices, QList<QByteArray>{"USB to Serial"});
        panels.selectedRow = 0;
        QList<int32_t> pages;
        connect(&session, &MeasurementSession::pageShown, this, [&pages](int32_t page) { pages << page; });


        panels.connect = true;
        session.cable().connectOrDisconnect();
        const MeasurementTable& table = session.table();
        QTRY_VERIFY_WITH_TIMEOUT(table.rowCount() >= 20, 10000);
        panels.connect = false;
        session.cable().connectOrDisconnect();
        QVERIFY(dialogs.shown.isEmpty());

        // Every row is a chart point after the one the chart starts with, and every frame
        // reached the LCD and the indicator.
        const int rows = table.rowCount();
        const ChartSeries& points = session.chart().series(0);
        QCOMPARE(points.count(), int64_t(rows) + 1);
        for (int i = 0; i < rows; ++i) {
            QCOMPARE(*table.row(i).no(), i + 1);
            QCOMPARE(points.value(i + 1), double(table.row(i).value()->toByteArray().trimmed().toFloat()));
        }
        QVERIFY(panels.framesShown >= rows);
        QCOMPARE(panels.blinks, panels.framesShown);
        QCOMPARE(pages.size(), rows);
        QCOMPARE(session.recorder().recordNo(), rows + 1);

        QTemporaryDir folder;
        // The text report drops a value's leading blank; the packet keeps every byte.
        for (const auto& [name, keepsBlanks] : {std::pair{"recording.xml", true}, std::pair{"recording.txt", false}}) {
            const QString file = folder.filePath(QString::fromLatin1(name));
            SaveTableToFile(session.table(), file, dialogs);
            MeasurementTable loaded;
            bool failed = false;
            LoadTableFromFile(file, loaded, false, {.progress = {}, .reportFailure = [&failed] { failed = true; }});
            QVERIFY(!failed);
            QCOMPARE(loaded.rowCount(), rows);
            for (int i = 0; i < rows; ++i) {
                QCOMPARE(*loaded.row(i).no(), *table.row(i).no());
                QCOMPARE(loaded.row(i).time()->toByteArray(), table.row(i).time()->toByteArray());
                const QByteArray value = table.row(i).value()->toByteArray();
                QCOMPARE(loaded.row(i).value()->toByteArray(), keepsBlanks ? value : value.trimmed());
                QCOMPARE(loaded.row(i).unit()->toByteArray(), table.row(i).unit()->toByteArray());
            }
        }
    }

    // A session with a journal, ended without a save, is offered back to the next one.
    void restoresWhatAnEarlierSessionLeftUnsaved_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(PlatformMessageBox::IDYES);
        QTest::newRow("no") << int(PlatformMessageBox::IDNO);
    }
    void restoresWhatAnEarlierSessionLeftUnsaved()
    {
        QFETCH(int, answer);
        QTemporaryDir folder;
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
        AnsweredMessages dialogs;
        ScreenlessPanels panels;
        QList<QByteArray> recorded;
        {
            MeasurementSession earlier(panels.ports(dialogs), bus, {}, folder.path());
            earlier.offerRestore();
            for (const char* frame : {"A1A2530100D", "A1A2540100D", "A1A2550100D"}) {
                earlier.readings().frameClosed(frame);
                earlier.decodeFrameText();
            }
            for (int i = 0; i < earlier.table().rowCount(); ++i)
                recorded << rowText(earlier.table(), i);
        }
        QVERIFY(dialogs.shown.isEmpty());

        dialogs.answerBox = [answer](const AnsweredMessages::Box&) { return answer; };
        MeasurementSession later(panels.ports(dialogs), bus, {}, folder.path());
        later.offerRestore();
        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("The last recording (3 readings, from ")));
        QVERIFY(dialogs.boxes[0].text.endsWith(QStringLiteral(") was not saved. Restore it?")));
        QCOMPARE(dialogs.boxes[0].flags, unsigned(PlatformMessageBox::MB_YESNO | PlatformMessageBox::MB_ICONQUESTION));
        if (answer == PlatformMessageBox::IDNO) {
            QCOMPARE(later.table().rowCount(), 0);
            later.offerRestore();
            QCOMPARE(dialogs.boxes.size(), 1);
            return;
        }
        QCOMPARE(later.table().rowCount(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rowText(later.table(), i), recorded[i]);
        // Numbering goes on after the last restored row, into the same recording.
        later.readings().frameClosed("A1A2560100D");
        later.decodeFrameText();
        QCOMPARE(*later.table().row(3).no(), 4);
        later.journal()->flush();
        const std::vector<JournalRecording> recordings = JournalDatabase(later.journal()->path()).recordings();
        QCOMPARE(recordings.size(), size_t(1));
        QCOMPARE(recordings[0].rows, int64_t(4));
    }

    // A journal that cannot keep readings is told once, in words, and recording goes on.
    void recordingGoesOnWhenTheJournalCannotKeepReadings()
    {
        QTemporaryDir top;
        QFile blocker(top.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        AnsweredMessages dialogs;
        ScreenlessPanels panels;
        MeasurementSession session(panels.ports(dialogs), std::make_shared<SimulatedHidBackend>(), {},
                                   blocker.fileName() + QStringLiteral("/journal"));
        session.offerRestore();
        for (const char* frame : {"A1A2530100D", "A1A2540100D", "A1A2550100D"}) {
            session.readings().frameClosed(frame);
            session.decodeFrameText();
        }
        QTRY_COMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.startsWith(QStringLiteral("Readings are not being kept safe on disk: the folder ")));
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Warning);
        QCOMPARE(session.table().rowCount(), 3);
        QTest::qWait(100);
        QCOMPARE(dialogs.shown.size(), 1);
    }

    void startNewRecordingEmptiesTableAndChart()
    {
        auto bus = std::make_shared<SimulatedHidBackend>(
            SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
        AnsweredMessages dialogs;
        ScreenlessPanels panels;
        MeasurementSession session(panels.ports(dialogs), bus, {});
        for (const char* frame : {"A1A2530100D", "A1A2540100D"}) {
            session.readings().frameClosed(frame);
            session.decodeFrameText();
        }
        QCOMPARE(session.table().rowCount(), 2);
        session.startNewRecording();
        QCOMPARE(session.table().rowCount(), 0);
        QCOMPARE(session.chart().series(0).count(), 1);
        QCOMPARE(session.recorder().recordNo(), 1);
    }
};

QTEST_MAIN(SessionRecordingTest)
#include "SessionRecordingTest.moc"
