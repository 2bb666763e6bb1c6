#include "app/TableSaveProgress.h"

#include "AnsweredMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/ExportRows.h"

#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TableSaveProgressTest : public QObject {
    Q_OBJECT
private slots:
    void longSaveShowsAWindowModalDialogAndKeepsEventsFlowing();
};

void TableSaveProgressTest::longSaveShowsAWindowModalDialogAndKeepsEventsFlowing()
{
    QTemporaryDir dir;
    QWidget window;
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MeasurementTable table;
    constexpr int kRows = 3 * kExportProgressInterval;
    for (int i = 0; i < kRows; ++i)
        table.appendRow(i, "12:00:00", " 25.3", "#");

    // Stands in for the recorder: a timer that appends a reading whenever events get through.
    int ticks = 0;
    bool dialogSeenModal = false;
    QTimer recorder;
    connect(&recorder, &QTimer::timeout, this, [&] {
        ++ticks;
        const auto dialogs = window.findChildren<QProgressDialog*>();
        dialogSeenModal = dialogs.size() == 1 && dialogs[0]->isVisible() &&
                          dialogs[0]->windowModality() == Qt::WindowModal;
        table.appendRow(-1, "late", "late", "late");
    });
    recorder.start(0);

    int dialogsAtMessage = -1;
    AnsweredMessages dialogs;
    dialogs.answerMessage = [&](const AnsweredMessages::Message& message) {
        dialogsAtMessage = int(window.findChildren<QProgressDialog*>().size());
        return message.kind == MessageKind::Information ? 1 : 0;
    };
    const QString fileName = dir.filePath("big.xls");
    // Shown at once here; the program waits a moment so quick saves do not flash a dialog.
    SaveTableShowingProgress(&window, dialogs, table, fileName, std::chrono::milliseconds(0));
    recorder.stop();

    QVERIFY(ticks > 0);
    QVERIFY(dialogSeenModal);
    QCOMPARE(dialogsAtMessage, 0);
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), 3 + kRows);
    QCOMPARE(table.rowCount(), kRows + ticks);
}

QTEST_MAIN(TableSaveProgressTest)
#include "TableSaveProgressTest.moc"
