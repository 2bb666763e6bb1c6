// The program's own help window, offscreen, on the guide the build leaves beside the programs:
// it opens at the contents page, follows the links between pages from the keyboard as a user
// can, goes back and forward, and says where the guide belongs when it is not there.
#include "app/HelpWindow.h"
#include "NamedControl.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

class HelpWindowTest : public QObject {
    Q_OBJECT

    const QUrl m_contents =
        QUrl::fromLocalFile(QFileInfo(QStringLiteral(TQ612_HELP_FILE)).absolutePath() + "/help/index.html");

private slots:
    void followsLinksAndGoesBackAndForward()
    {
        QWidget owner;
        HelpWindow* window = HelpWindow::showFor(&owner, m_contents);
        auto* pages = named<QTextBrowser>(*window, "HelpPages");
        auto* back = named<QToolButton>(*window, "HelpBack");
        auto* forward = named<QToolButton>(*window, "HelpForward");
        QVERIFY(window->isVisible());
        QCOMPARE(pages->source(), m_contents);
        QCOMPARE(window->windowTitle(), QStringLiteral("TQ-612 interface program - TQ-612 Help"));
        QVERIFY(pages->toPlainText().contains(QLatin1String("Printing the table")));
        // The guide's style sheet reaches the window: the heading wears its colour.
        const QTextBlock heading = pages->document()->begin();
        QCOMPARE(heading.text(), QStringLiteral("TQ-612 interface program"));
        QCOMPARE(heading.begin().fragment().charFormat().foreground().color(), QColor(0x0b, 0x3d, 0x91));
        QVERIFY(!back->isEnabled());
        QVERIFY(!forward->isEnabled());

        // The contents page's first link, reached with Tab and followed with Return.
        QTest::keyClick(pages, Qt::Key_Tab);
        QTest::keyClick(pages, Qt::Key_Return);
        QCOMPARE(pages->source().fileName(), QStringLiteral("getting-started.html"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Getting started - TQ-612 Help"));
        QVERIFY(back->isEnabled());

        back->click();
        QCOMPARE(pages->source(), m_contents);
        QVERIFY(forward->isEnabled());
        forward->click();
        QCOMPARE(pages->source().fileName(), QStringLiteral("getting-started.html"));

        // Its Contents link leads back; so does the Contents button from anywhere.
        pages->setSource(QUrl(QStringLiteral("download.html")));
        QCOMPARE(pages->source().fileName(), QStringLiteral("download.html"));
        named<QToolButton>(*window, "HelpContents")->click();
        QCOMPARE(pages->source(), m_contents);
    }

    void everyHelpRequestUsesTheOneWindow()
    {
        QWidget owner;
        HelpWindow* first = HelpWindow::showFor(&owner, m_contents);
        named<QTextBrowser>(*first, "HelpPages")->setSource(QUrl(QStringLiteral("chart.html")));
        first->close();

        HelpWindow* again = HelpWindow::showFor(&owner, m_contents);
        QCOMPARE(again, first);
        QVERIFY(again->isVisible());
        QCOMPARE(named<QTextBrowser>(*again, "HelpPages")->source(), m_contents);
        QCOMPARE(owner.findChildren<HelpWindow*>().size(), 1);
    }

    void aMissingGuideSaysWhereItBelongs()
    {
        QWidget owner;
        const QString missing = QStringLiteral("/nowhere/tq612/help/index.html");
        HelpWindow* window = HelpWindow::showFor(&owner, QUrl::fromLocalFile(missing));
        const QString text = named<QTextBrowser>(*window, "HelpPages")->toPlainText();
        QVERIFY(text.contains(QLatin1String("The user guide was not found")));
        QVERIFY(text.contains(missing));
        QVERIFY(!named<QToolButton>(*window, "HelpBack")->isEnabled());
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
