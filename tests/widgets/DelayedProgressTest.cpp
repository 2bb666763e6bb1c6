// The progress dialog of long saves, loads and prints: when it appears, what it lets through,
// and how the user stops the work.
#include "widgets/DelayedProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

class DelayedProgressTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(400, 300);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void appearsWindowModalOnlyOnceTheDelayHasPassedAndThenLetsEventsThrough()
    {
        int ticks = 0;
        QTimer events;
        connect(&events, &QTimer::timeout, this, [&ticks] { ++ticks; });
        events.start(0);

        DelayedProgress progress(m_window.get(), {QStringLiteral("Working on it"), QStringLiteral("Cancel"),
                                                  QStringLiteral("WorkProgress")},
                                 200ms);
        const DelayedProgress::Callback step = progress.callback();
        QVERIFY(step(1, 10));
        QVERIFY(dialogs().isEmpty());
        QCOMPARE(ticks, 0);

        QThread::msleep(250);
        QVERIFY(step(2, 10));
        QCOMPARE(dialogs().size(), 1);
        QProgressDialog* dialog = dialogs()[0];
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->objectName(), QStringLiteral("WorkProgress"));
        QCOMPARE(dialog->findChild<QLabel*>()->text(), QStringLiteral("Working on it"));
        QVERIFY(ticks > 0);

        progress.close();
        QVERIFY(dialogs().isEmpty());
    }

    void cancelStopsTheWorkAndADialogWithoutCancelTextHasNoButton()
    {
        {
            DelayedProgress progress(m_window.get(), {QStringLiteral("Working"), QString(), QString()}, 0ms);
            QVERIFY(progress.callback()(1, 4));
            QCOMPARE(dialogs().size(), 1);
            QVERIFY(!dialogs()[0]->findChild<QPushButton*>());
        }
        QVERIFY(dialogs().isEmpty());

        DelayedProgress progress(m_window.get(), {QStringLiteral("Working"), QStringLiteral("Stop"), QString()}, 0ms);
        const DelayedProgress::Callback step = progress.callback();
        QVERIFY(step(1, 4));
        auto* cancel = dialogs().value(0)->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Stop"));
        cancel->click();
        QVERIFY(!step(2, 4));
    }

    // Loads count bytes, which go beyond the int range of a progress bar; and a load has lines
    // left to store after its last block is counted, so reaching the total is not the end.
    void countsBeyondTheIntRangeAndStaysUpAtTheTotal()
    {
        DelayedProgress progress(m_window.get(), {QStringLiteral("Loading"), QStringLiteral("Cancel"), QString()}, 0ms);
        const DelayedProgress::Callback step = progress.callback();
        constexpr qint64 kTotal = 6'000'000'000;
        QVERIFY(step(kTotal / 2, kTotal));
        auto* bar = dialogs().value(0)->findChild<QProgressBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->text(), QStringLiteral("50%"));
        QVERIFY(step(kTotal, kTotal));
        QCOMPARE(bar->text(), QStringLiteral("100%"));
        QVERIFY(dialogs().value(0)->isVisible());
    }

private:
    QList<QProgressDialog*> dialogs() const { return m_window->findChildren<QProgressDialog*>(); }

    std::unique_ptr<QWidget> m_window;
};

QTEST_MAIN(DelayedProgressTest)
#include "DelayedProgressTest.moc"
