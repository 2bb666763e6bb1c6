// Readings through the real window: decoder, LCD panel, recorder, table, grid and chart, and
// the controls that steer recording and saving.
#include "base/LocaleTexts.h"
#include "journal/RecordingJournal.h"
#include "chart/ChartView.h"
#include "display/LcdDot.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <memory>

using namespace PlatformMessageBox;

// Counts the events of one type that reach a widget while it lives.
class EventCounter : public QObject {
public:
    EventCounter(QObject* watched, QEvent::Type type, int& count) : m_type(type), m_count(count)
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_count += event->type() == m_type;
        return false;
    }

private:
    QEvent::Type m_type;
    int& m_count;
};

class WindowRecordingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFCOMM> m_window;

    QAbstractItemModel* grid() const { return named<QTableView>(*m_window, "DBGrid1")->model(); }
    QString cell(int row, int column) const { return grid()->index(row, column).data().toString(); }
    int selectedRow() const
    {
        const QModelIndexList rows = named<QTableView>(*m_window, "DBGrid1")->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    int64_t chartPoints() const { return named<ChartView>(*m_window)->engine().series(0).count(); }
    QString pageLabel() const { return named<QToolButton>(*m_window, "Bt10")->text(); }

    // Answers the named file dialog once it shows: with the file name, or cancels when it is
    // empty. shownName receives what the dialog's name field held when it came up.
    void answerFileDialog(const char* dialogName, const QString& fileName, QString* shownName)
    {
        QTimer::singleShot(0, m_window.get(), [this, dialogName, fileName, shownName] {
            QFileDialog* dialog = named<QFileDialog>(*m_window, dialogName);
            QVERIFY(dialog->isVisible());
            *shownName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            if (fileName.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(fileName);
            // selectFile leaves the name box alone while it has the focus, as it may when
            // the dialog comes up a second time.
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(fileName).fileName());
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
        });
    }

    static QByteArrayList fileLines(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QByteArrayList lines = file.readAll().split('\n');
        lines.removeLast();  // after the last CR LF
        for (QByteArray& line : lines)
            line.chop(1);
        return lines;
    }

    void showAndActivate()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

private slots:
    void init()
    {
        m_window = std::make_unique<TFCOMM>(windowDialogs());
        QCOMPARE(m_window->session().pager().PageSize(), 100);
    }
    void cleanup() { m_window.reset(); }

    void frameReachesPanelGridAndChart()
    {
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        const QByteArray point = m_window->session().decodeSettings().DecimalText;
        QVERIFY(named<QLabel>(*m_window, "CONok")->isHidden());

        receiveFrame(*m_window, displayFrame('1', "A253"));
        QCOMPARE(named<QLabel>(*m_window, "LcdD4")->text(), QStringLiteral(" "));
        QCOMPARE(named<QLabel>(*m_window, "LcdD3")->text() + named<QLabel>(*m_window, "LcdD2")->text() + named<QLabel>(*m_window, "LcdD1")->text(), "253");
        QVERIFY(!named<LcdDot>(*m_window, "LcdP2")->isHidden());
        QVERIFY(!named<QLabel>(*m_window, "LCDC")->isHidden());
        QVERIFY(named<QLabel>(*m_window, "LCDF")->isHidden());
        QVERIFY(!named<QLabel>(*m_window, "CONok")->isHidden());
        QCOMPARE(grid()->rowCount(), 1);
        QCOMPARE(cell(0, 0), "1");
        QCOMPARE(cell(0, 2), QString::fromLocal8Bit(" 25" + point + "3"));
        QCOMPARE(cell(0, 3), "#");
        QCOMPARE(chartPoints(), 2);  // the start point and the reading
        QCOMPARE(named<ChartView>(*m_window)->engine().series(0).value(1), double(25.3f));

        receiveFrame(*m_window, displayFrame('3', "B123"));
        QVERIFY(named<QLabel>(*m_window, "LCDC")->isHidden());
        QVERIFY(!named<QLabel>(*m_window, "LCDF")->isHidden());
        QCOMPARE(cell(1, 2), QString::fromLocal8Bit("-12" + point + "3"));
        QCOMPARE(cell(1, 3), "?");
        QCOMPARE(selectedRow(), 1);

        // The hidden test button decodes the same frame again.
        named<QPushButton>(*m_window, "Button4")->click();
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(selectedRow(), 2);
        QCOMPARE(chartPoints(), 4);
        QCOMPARE(pageLabel(), "1");
        QCOMPARE(m_window->session().recorder().recordNo(), 4);
    }

    // Interval "1" and Sampling Interval ticked, as at start-up: one row, then the next only
    // after a tick of the sampling timer.
    void samplingTimerOpensTheGate()
    {
        receiveReadings(*m_window, 3);
        QCOMPARE(grid()->rowCount(), 1);
        named<QTimer>(*m_window, "Trecord")->setInterval(5);
        QTRY_COMPARE(m_window->session().recorder().sampleTick(), 0);
        receiveReadings(*m_window, 3);
        QCOMPARE(grid()->rowCount(), 2);
    }

    void intervalAndStartTimeBoxesRestartTheCountdown()
    {
        named<QLineEdit>(*m_window, "RecordSITime")->setText(QStringLiteral("7"));
        for (QLineEdit* box : {named<QLineEdit>(*m_window, "RecordSITime"), named<QLineEdit>(*m_window, "TimeH"), named<QLineEdit>(*m_window, "TimeM"), named<QLineEdit>(*m_window, "TimeS"),
                               named<QLineEdit>(*m_window, "TimeInt")}) {
            Recorder& recorder = m_window->session().recorder();
            while (recorder.sampleTick() > 0)
                recorder.tickSamplingTimer();
            box->setText(box->text() + QLatin1Char('1'));
            QVERIFY2(m_window->session().recorder().sampleTick() > 0, qPrintable(box->objectName()));
        }
        QCOMPARE(m_window->session().recorder().sampleTick(), 71);
    }

    void limitPromptOffersToSaveThenRecordingStops()
    {
        QTemporaryDir folder;
        AnsweredMessages& answers = freshAnswers();
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);

        named<QAction>(*m_window, "N10001")->trigger();
        QCOMPARE(m_window->session().recorder().recordLimit(), 1000);
        QStringList ticked;
        for (QAction* item : named<QMenu>(*m_window, "Record1")->actions()) {
            if (item->isChecked())
                ticked << item->objectName();
        }
        QCOMPARE(ticked, QStringList{"N10001"});

        receiveReadings(*m_window, 999);
        QVERIFY(answers.boxes.isEmpty());
        const QString saved = folder.filePath(QStringLiteral("limit.txt"));
        QString shownName;
        answerFileDialog("SaveDialog1", saved, &shownName);
        receiveReadings(*m_window, 1);

        QCOMPARE(answers.boxes.size(), 1);
        QCOMPARE(answers.boxes[0].text, QStringLiteral("Measurement data exceeds 1000 sets!Save and remove on-screen "
                                                       "data before proceeding next measurement."));
        QCOMPARE(answers.boxes[0].caption, QStringLiteral("Tarvion TQ-612"));
        QCOMPARE(answers.boxes[0].flags, unsigned(MB_OKCANCEL | MB_ICONQUESTION));
        QCOMPARE(fileLines(saved).size(), 3 + 1000);
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(pageLabel(), "11");  // the 1000th reading was plotted before the prompt

        receiveReadings(*m_window, 5);
        QCOMPARE(grid()->rowCount(), 1000);
        QCOMPARE(answers.boxes.size(), 1);

        // A larger limit lets recording go on.
        named<QAction>(*m_window, "N50001")->trigger();
        receiveReadings(*m_window, 1);
        QCOMPARE(named<MeasurementTable>(*m_window, "cds1")->rowCount(), 1001);
        QTRY_COMPARE(grid()->rowCount(), 1001);  // past a thousand rows the grid shows them in batches
        QVERIFY(!named<QAction>(*m_window, "N10001")->isChecked());
        QVERIFY(named<QAction>(*m_window, "N50001")->isChecked());

        // A limit below the rows recorded stops recording, and says so at once.
        answerFileDialog("SaveDialog1", QString(), &shownName);
        named<QAction>(*m_window, "N10001")->trigger();
        QCOMPARE(answers.boxes.size(), 2);
        QCOMPARE(answers.boxes[1].text, answers.boxes[0].text);
        QVERIFY(named<QAction>(*m_window, "N10001")->isChecked());
        receiveReadings(*m_window, 5);
        QCOMPARE(named<MeasurementTable>(*m_window, "cds1")->rowCount(), 1001);
        QCOMPARE(answers.boxes.size(), 2);
    }

    void closeDataAsksBeforeStartingAgain_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(IDYES);
        QTest::newRow("No") << int(IDNO);
    }

    void closeDataAsksBeforeStartingAgain()
    {
        QFETCH(int, answer);
        AnsweredMessages& answers = freshAnswers();
        answers.answerBox = [answer](const AnsweredMessages::Box&) { return answer; };
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        receiveReadings(*m_window, 250);
        QCOMPARE(pageLabel(), "3");

        named<QToolButton>(*m_window, "RecordNew")->click();
        QCOMPARE(answers.boxes.size(), 1);
        QCOMPARE(answers.boxes[0].text, QStringLiteral("Do you want to remove on-screen data and create new data?"));
        QCOMPARE(answers.boxes[0].caption, QStringLiteral("Tarvion TQ-612"));
        QCOMPARE(answers.boxes[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
        // The page label keeps its text until the next row either way.
        QCOMPARE(pageLabel(), "3");
        if (answer == IDNO) {
            QCOMPARE(grid()->rowCount(), 250);
            QCOMPARE(m_window->session().recorder().recordNo(), 251);
            QCOMPARE(chartPoints(), 251);
            return;
        }
        QCOMPARE(grid()->rowCount(), 0);
        QCOMPARE(m_window->session().recorder().rowCount(), 0);
        QCOMPARE(chartPoints(), 1);
        QCOMPARE(named<ChartView>(*m_window)->engine().axis(AxisId::Horizontal).minimum, 1.0);

        receiveFrame(*m_window, displayFrame('0', "0421"));
        QCOMPARE(cell(0, 0), "1");
        QCOMPARE(selectedRow(), 0);
        QCOMPARE(pageLabel(), "1");
    }

    // While the journal cannot write, a question whose Yes drops the table's rows says how many of
    // them nothing else keeps: those recorded since the last successful save.
    void questionsThatDropTheRowsSayHowManyOnlyTheTableHolds_data()
    {
        QTest::addColumn<QString>("question");
        QTest::newRow("exit") << QStringLiteral("Are you ensure to exit the program?");
        QTest::newRow("Close Data") << QStringLiteral("Do you want to remove on-screen data and create new data?");
    }
    void questionsThatDropTheRowsSayHowManyOnlyTheTableHolds()
    {
        QFETCH(QString, question);
        QTemporaryDir folder;
        // The journal's folder cannot be made: a file stands where its parent should be.
        QFile blocker(folder.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AnsweredMessages& answers = freshAnswers();
        m_window.reset();  // one HID controller at a time
        m_window = std::make_unique<TFCOMM>(windowDialogs(), nullptr, onBoardComPortPath,
                                            folder.filePath(QStringLiteral("blocker/journal")));
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        QTRY_VERIFY(!m_window->session().journal()->keeping());

        QString asked;
        const auto ask = [&] {
            answers.boxes.clear();
            answers.answerBox = [](const AnsweredMessages::Box&) { return int(IDNO); };
            if (question.startsWith(QLatin1String("Are"))) {
                bool canClose = true;
                m_window->FormCloseQuery(canClose);
            } else {
                named<QToolButton>(*m_window, "RecordNew")->click();
            }
            asked = answers.boxes.size() == 1 ? answers.boxes[0].text : QString();
        };
        ask();
        QCOMPARE(asked, question);

        receiveReadings(*m_window, 3);
        ask();
        QCOMPARE(asked, question + QStringLiteral("\n3 readings are not saved and not kept anywhere else: the journal "
                                                 "cannot write them now."));

        QString shownName;
        answerFileDialog("SaveDialog1", folder.filePath(QStringLiteral("table.txt")), &shownName);
        named<QToolButton>(*m_window, "saveas")->click();
        ask();
        QCOMPARE(asked, question);

        receiveReadings(*m_window, 1);
        ask();
        QCOMPARE(asked, question + QStringLiteral("\n1 reading is not saved and not kept anywhere else: the journal "
                                                 "cannot write it now."));
    }

    void saveWritesTheTableThroughTheSaveDialog()
    {
        QTemporaryDir folder;
        AnsweredMessages& answers = freshAnswers();
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        receiveFrame(*m_window, displayFrame('1', "A253"));
        receiveFrame(*m_window, displayFrame('0', "1571"));

        const QString saved = folder.filePath(QStringLiteral("table.txt"));
        QString shownName;
        answerFileDialog("SaveDialog1", saved, &shownName);
        named<QToolButton>(*m_window, "saveas")->click();
        QCOMPARE(shownName, QString());
        const QByteArrayList lines = fileLines(saved);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], "Report created on: " + LocaleTexts::shortDateText(QDate::currentDate(), QLocale::system()));
        QCOMPARE(lines[2], "No\tTime\tValue\tUnit");
        QCOMPARE(lines[4], "2\t" + cell(1, 1).toLocal8Bit() + "\t1571\t#");
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(answers.messages[0].text, QStringLiteral("Save table to specified file: ") + saved + " Scuss!");
        QCOMPARE(answers.messages[0].kind, MessageKind::Information);
        QCOMPARE(answers.messages[0].buttons, MessageButton::OK);

        // The Record menu's Save opens the dialog without the last name; cancelling writes
        // and says nothing.
        QVERIFY(QFile::remove(saved));
        answerFileDialog("SaveDialog1", QString(), &shownName);
        named<QAction>(*m_window, "Save1")->trigger();
        QCOMPARE(shownName, QString());
        QVERIFY(!QFile::exists(saved));
        QCOMPARE(answers.messages.size(), 1);
    }

    void openButtonAppendsASavedTableWithoutTouchingTheCounters()
    {
        QTemporaryDir folder;
        AnsweredMessages& answers = freshAnswers();
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        receiveFrame(*m_window, displayFrame('1', "A253"));
        receiveFrame(*m_window, displayFrame('0', "1571"));
        const QString saved = folder.filePath(QStringLiteral("table.xml"));
        QString shownName;
        answerFileDialog("SaveDialog1", saved, &shownName);
        named<QToolButton>(*m_window, "saveas")->click();
        answers.messages.clear();
        const int64_t points = chartPoints();
        QFile broken(folder.filePath(QStringLiteral("broken.xls")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("head\r\n\r\nNo\tTime\tValue\tUnit\r\nnot a number\r\n");
        broken.close();

        showAndActivate();
        int repaints = 0;
        EventCounter counter(m_window.get(), QEvent::UpdateRequest, repaints);
        answerFileDialog("OpenDialog1", saved, &shownName);
        named<QToolButton>(*m_window, "OpenDataFiles")->click();
        QTRY_VERIFY(repaints > 0);
        QVERIFY(answers.messages.isEmpty());
        QCOMPARE(grid()->rowCount(), 4);
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(cell(2, column), cell(0, column));
            QCOMPARE(cell(3, column), cell(1, column));
        }
        QCOMPARE(chartPoints(), points);
        QCOMPARE(m_window->session().recorder().recordNo(), 3);

        // The dialog keeps the name, and a broken file is reported once, adding nothing.
        answerFileDialog("OpenDialog1", broken.fileName(), &shownName);
        named<QToolButton>(*m_window, "OpenDataFiles")->click();
        QCOMPARE(shownName, QStringLiteral("table.xml"));
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(answers.messages[0].text,
                 QStringLiteral("Failed to Load File!\nThe load stopped at line 4: no rows were added."));
        QCOMPARE(answers.messages[0].kind, MessageKind::Warning);
        QCOMPARE(answers.messages[0].buttons, MessageButton::OK);
        QCOMPARE(grid()->rowCount(), 4);
    }

    void recallCheckSetsTheStartTimeAndStampsRows()
    {
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        named<QCheckBox>(*m_window, "RecallCheck")->click();
        QCOMPARE(named<QLineEdit>(*m_window, "TimeH")->text() + named<QLineEdit>(*m_window, "TimeM")->text() + named<QLineEdit>(*m_window, "TimeS")->text(), "000000");
        receiveReadings(*m_window, 2);
        const QString startTime = QString::fromLocal8Bit(LocaleTexts::timeOfDayText(
            LocaleTexts::fromDayCount(m_window->session().recorder().startTime()).time(), QLocale::system()));
        QCOMPARE(cell(0, 1), startTime);
        QCOMPARE(cell(1, 1), startTime);

        named<QLineEdit>(*m_window, "TimeH")->setText(QStringLiteral("7"));
        named<QCheckBox>(*m_window, "RecallCheck")->click();
        QCOMPARE(named<QLineEdit>(*m_window, "TimeH")->text() + named<QLineEdit>(*m_window, "TimeM")->text() + named<QLineEdit>(*m_window, "TimeS")->text(), "235959");
    }

    void releasingAKeyInATimeBoxChecksTheThreeFields_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("inputErrors");
        QTest::addColumn<QString>("errorReport");
        QTest::newRow("in range") << QStringList{"23", "59", "59"} << QStringList{"23", "59", "59"} << 0 << QString();
        QTest::newRow("hour 27") << QStringList{"27", "5", "0"} << QStringList{"00", "5", "0"} << 1 << QString();
        QTest::newRow("each too large") << QStringList{"24", "60", "75"} << QStringList{"00", "00", "00"} << 3
                                        << QString();
        QTest::newRow("empty minute") << QStringList{"27", "", "75"} << QStringList{"27", "", "75"} << 0
                                      << QStringLiteral("'' is not a valid integer value.");
    }

    void releasingAKeyInATimeBoxChecksTheThreeFields()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, after);
        QFETCH(int, inputErrors);
        QFETCH(QString, errorReport);
        AnsweredMessages& answers = freshAnswers();
        QLineEdit* const boxes[] = {named<QLineEdit>(*m_window, "TimeH"), named<QLineEdit>(*m_window, "TimeM"), named<QLineEdit>(*m_window, "TimeS")};
        for (int i = 0; i < 3; ++i)
            boxes[i]->setText(typed[i]);

        QTest::keyRelease(named<QLineEdit>(*m_window, "TimeS"), Qt::Key_5);
        QStringList shown;
        for (QLineEdit* box : boxes)
            shown << box->text();
        QCOMPARE(shown, after);
        QCOMPARE(answers.messages.size(), inputErrors);
        for (const AnsweredMessages::Message& message : answers.messages) {
            QCOMPARE(message.text, QStringLiteral("Input error!"));
            QCOMPARE(message.kind, MessageKind::Information);
            QCOMPARE(message.buttons, MessageButton::OK);
        }
        QCOMPARE(answers.errorReports(), errorReport.isEmpty() ? QStringList() : QStringList{errorReport});
    }

    void leavingRecallCheckReportsAnEmptyTimeField()
    {
        showAndActivate();
        AnsweredMessages& answers = freshAnswers();
        named<QCheckBox>(*m_window, "RecallCheck")->setFocus(Qt::TabFocusReason);
        named<QLineEdit>(*m_window, "TimeInt")->setFocus(Qt::TabFocusReason);
        QVERIFY(answers.boxes.isEmpty());

        named<QLineEdit>(*m_window, "TimeS")->setText(QString());
        named<QCheckBox>(*m_window, "RecallCheck")->setFocus(Qt::TabFocusReason);
        named<QLineEdit>(*m_window, "TimeH")->setFocus(Qt::TabFocusReason);
        QCOMPARE(answers.errorReports(), QStringList{"'' is not a valid integer value."});

        // A NUL byte in the text does not cut the message short.
        const QString withNul = QChar(0) + QStringLiteral("12");
        named<QLineEdit>(*m_window, "TimeS")->setText(withNul);
        named<QCheckBox>(*m_window, "RecallCheck")->setFocus(Qt::TabFocusReason);
        named<QLineEdit>(*m_window, "TimeH")->setFocus(Qt::TabFocusReason);
        QCOMPARE(answers.errorReports().value(1), "'" + withNul + "' is not a valid integer value.");
    }

    void numberBoxesTakeOnlyTypedDigits()
    {
        showAndActivate();
        AnsweredMessages& answers = freshAnswers();
        for (QLineEdit* box : {named<QLineEdit>(*m_window, "RecordSITime"), named<QLineEdit>(*m_window, "Maxrecord"), named<QLineEdit>(*m_window, "TimeH"), named<QLineEdit>(*m_window, "TimeM"),
                               named<QLineEdit>(*m_window, "TimeS"), named<QLineEdit>(*m_window, "TimeInt")}) {
            box->setFocus();
            box->setText(QStringLiteral("0"));
            QTest::keyClicks(box, QStringLiteral("1a-+ .,2"));
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClick(box, Qt::Key_Left);
            QTest::keyClicks(box, QStringLiteral("x1"));
            QCOMPARE(box->text(), QStringLiteral("011"));
        }
        QVERIFY(answers.boxes.isEmpty() && answers.messages.isEmpty());

        // Pasting is not typing: a pasted "-" is an interval of 0.
        QGuiApplication::clipboard()->setText(QStringLiteral("-"));
        named<QLineEdit>(*m_window, "RecordSITime")->setFocus();
        named<QLineEdit>(*m_window, "RecordSITime")->clear();
        QTest::keyClick(named<QLineEdit>(*m_window, "RecordSITime"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(named<QLineEdit>(*m_window, "RecordSITime")->text(), QStringLiteral("-"));
        QCOMPARE(m_window->session().recorder().sampleTick(), 0);

        // Tab still moves on from a number box.
        QTest::keyClick(named<QLineEdit>(*m_window, "RecordSITime"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), named<QLineEdit>(*m_window, "Maxrecord"));
    }
};

TQ612_WINDOW_TEST_MAIN(WindowRecordingTest)
#include "WindowRecordingTest.moc"
