// A recording killed at random moments: each time, a fresh start offers every row appended up to
// a quarter of a second before the kill, or more, and restores them exactly.
#include "AnsweredMessages.h"
#include "ScreenlessPanels.h"
#include "dialogs/PlatformMessageBox.h"
#include "session/MeasurementSession.h"
#include "journal/RecordingJournal.h"
#include "sim/SimulatedHidBackend.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kKills = 20;
constexpr qint64 kDurableWithinMs = 250;

struct Line {
    QByteArray text;
    qint64 receivedAt;
};

}  // namespace

class JournalCrashTest : public QObject {
    Q_OBJECT

private slots:
    void everyRowBeforeTheKillIsRestored()
    {
        QTemporaryDir folder;
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        for (int kill = 0; kill < kKills; ++kill) {
            QElapsedTimer clock;
            clock.start();
            std::vector<Line> lines;
            QByteArray pending;
            QProcess child;
            auto take = [&] {
                pending += child.readAllStandardOutput();
                qsizetype end;
                while ((end = pending.indexOf('\n')) >= 0) {
                    lines.push_back({pending.left(end), clock.elapsed()});
                    pending.remove(0, end + 1);
                }
            };
            connect(&child, &QProcess::readyReadStandardOutput, this, take);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QStringLiteral(JOURNAL_CRASH_CHILD), {folder.path()});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(!lines.empty(), 10000);
            QTest::qWait(int(random.bounded(100, 1500)));

            const qint64 killedAt = clock.elapsed();
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            take();
            const auto kept = std::count_if(lines.begin(), lines.end(), [&](const Line& line) {
                return line.receivedAt <= killedAt - kDurableWithinMs;
            });

            AnsweredMessages answers;
            answers.answerBox = [](const AnsweredMessages::Box&) { return int(PlatformMessageBox::IDYES); };
            ScreenlessPanels panels;
            MeasurementSession restarted(panels.ports(answers), std::make_shared<SimulatedHidBackend>(), {},
                                         folder.path());
            restarted.offerRestore();
            QCOMPARE(answers.boxes.size(), 1);
            const MeasurementTable& table = restarted.table();
            QVERIFY2(table.rowCount() >= kept, qPrintable(QStringLiteral("kill %1: %2 rows restored, %3 appended "
                                                                           "250 ms before the kill")
                                                              .arg(kill)
                                                              .arg(table.rowCount())
                                                              .arg(kept)));
            QVERIFY(size_t(table.rowCount()) <= lines.size());
            qInfo("kill %d: %zu rows printed, %td of them 250 ms before the kill, %d restored", kill, lines.size(),
                  kept, table.rowCount());
            for (int i = 0; i < table.rowCount(); ++i)
                QCOMPARE(rowText(table, i), lines[size_t(i)].text);
        }
    }
};

QTEST_GUILESS_MAIN(JournalCrashTest)
#include "JournalCrashTest.moc"
