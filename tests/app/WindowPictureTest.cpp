// The chart tool bar's picture button and the Help menu command on the real window.
#include "app/HelpWindow.h"
#include "chart/ChartView.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

bool isStampBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 80 && qGreen(pixel) < 80;
}

// Whether the date stamp's corner of the picture holds stamp-blue ink.
bool hasStamp(const QImage& picture)
{
    const QRect corner(picture.width() - 130, 6, 130, 20);
    for (int y = corner.top(); y <= corner.bottom(); ++y) {
        for (int x = corner.left(); x <= corner.right(); ++x) {
            if (isStampBlue(picture.pixel(x, y)))
                return true;
        }
    }
    return false;
}

}  // namespace

// A guide beside the test program, where the Help command of a build looks for it, for as long
// as the object lives.
class GuideBesideTheProgram {
public:
    GuideBesideTheProgram()
    {
        QDir().mkpath(folder() + QStringLiteral("/help"));
        write(QStringLiteral("/TQ-612.chm"), "ITSF");
        write(QStringLiteral("/help/index.html"), "<html><head><title>Guide</title></head><body>Contents</body></html>");
    }
    ~GuideBesideTheProgram()
    {
        QFile::remove(folder() + QStringLiteral("/TQ-612.chm"));
        QDir(folder() + QStringLiteral("/help")).removeRecursively();
    }
    GuideBesideTheProgram(const GuideBesideTheProgram&) = delete;
    GuideBesideTheProgram& operator=(const GuideBesideTheProgram&) = delete;

    QString folder() const { return QCoreApplication::applicationDirPath(); }

private:
    void write(const QString& name, const QByteArray& content) const
    {
        QFile file(folder() + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
};

// Stands in for the desktop: remembers what it was asked to open.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    QStringList paths;
public slots:
    void open(const QUrl& url) { paths << url.toLocalFile(); }
};

class WindowPictureTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TFCOMM> m_window;
    std::unique_ptr<QTemporaryDir> m_folder;

    // Answers SavePictureDialog1 once it shows: with the file name, or cancels when it is
    // empty. shownName receives what the dialog's name field held when it came up.
    // Answers SavePictureDialog1 as soon as it shows: with the file name, or cancels when the
    // name is empty. shownName receives what the name box held when it came up.
    void answerPictureDialog(const QString& fileName, QString* shownName)
    {
        auto* poll = new QTimer(m_window.get());
        connect(poll, &QTimer::timeout, m_window.get(), [this, poll, fileName, shownName] {
            QFileDialog* dialog = named<QFileDialog>(*m_window, "SavePictureDialog1");
            if (!dialog->isVisible())
                return;
            poll->deleteLater();
            poll->stop();
            *shownName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            if (fileName.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(fileName);
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
        });
        poll->start(0);
    }

    // Clicked from the event loop, as a real press is: a failure then reaches the error report
    // the same way. A synthetic mouse or key press would leave Qt holding state of its own
    // while the dialog the click opens runs, which LeakSanitizer reports as Qt's leak.
    void clickSave()
    {
        QMetaObject::invokeMethod(named<QToolButton>(*m_window, "BtSave"), &QToolButton::click, Qt::QueuedConnection);
        QCoreApplication::processEvents();
    }

    QStringList savedMessages(const AnsweredMessages& answers) const
    {
        QStringList texts;
        for (const AnsweredMessages::Message& message : answers.messages) {
            if (message.kind == MessageKind::Information && message.buttons == MessageButton::OK)
                texts << message.text;
        }
        return texts;
    }

    // The desktop's file associations, as xdg-mime reads them, limited to a folder of the test's
    // own: a web browser, and an application for compiled help files or none.
    void useDesktopAssociations(bool helpViewerRegistered)
    {
        const QString data = m_folder->filePath(QStringLiteral("xdg-data"));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/applications")));
        QFile cache(data + QStringLiteral("/applications/mimeinfo.cache"));
        QVERIFY(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cache.write("[MIME Cache]\ntext/html=browser.desktop;\n");
        if (helpViewerRegistered)
            cache.write("application/vnd.ms-htmlhelp=helpviewer.desktop;\n");
        cache.close();
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "XDG_MENU_PREFIX"})
            qunsetenv(name);
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        qputenv("XDG_DATA_DIRS", data.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", data.toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", data.toLocal8Bit());
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<TFCOMM>(windowDialogs());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void savesTheChartAsAStampedPictureAndCopiesItUnstamped_data()
    {
        QTest::addColumn<QString>("chosenName");
        QTest::addColumn<QString>("writtenName");
        QTest::addColumn<QByteArray>("format");
        // A name without a type gets the dialog's default suffix.
        QTest::newRow("no type") << "picture" << "picture.bmp" << QByteArray("bmp");
        QTest::newRow(".png") << "picture.png" << "picture.png" << QByteArray("png");
    }
    void savesTheChartAsAStampedPictureAndCopiesItUnstamped()
    {
        QFETCH(QString, chosenName);
        QFETCH(QString, writtenName);
        QFETCH(QByteArray, format);
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        receiveReadings(*m_window, 150);
        AnsweredMessages& answers = freshAnswers();
        QString shownName;
        answerPictureDialog(m_folder->filePath(chosenName), &shownName);

        clickSave();

        QCOMPARE(shownName, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        const QString written = m_folder->filePath(writtenName);
        QCOMPARE(savedMessages(answers), QStringList{QStringLiteral("Graphic has saved on ") + written});
        QVERIFY(answers.errorReports().isEmpty());
        const QSize chartSize = named<ChartView>(*m_window)->size();
        QImageReader reader(written);
        QCOMPARE(reader.format(), format);
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), chartSize);
        QVERIFY(hasStamp(saved));
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), chartSize);
        QVERIFY(!hasStamp(copied));
    }

    void failedWriteGoesToTheErrorReportWithoutSuccessMessage()
    {
        AnsweredMessages& answers = freshAnswers();
        QString shownName;
        const QString chosen = m_folder->filePath(QStringLiteral("no-such-folder/picture.bmp"));
        answerPictureDialog(chosen, &shownName);

        clickSave();

        QCOMPARE(answers.errorReports().size(), 1);
        QVERIFY2(answers.errorReports()[0].contains(chosen), qPrintable(answers.errorReports()[0]));
        QVERIFY(savedMessages(answers).isEmpty());
        QVERIFY(m_window->isVisible());
    }

    void cancellingThePictureDialogLeavesEverythingAlone()
    {
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        AnsweredMessages& answers = freshAnswers();
        QString shownName;
        answerPictureDialog(QString(), &shownName);

        clickSave();

        QVERIFY(!shownName.isEmpty());
        QVERIFY(answers.messages.isEmpty());
        QVERIFY(answers.boxes.isEmpty());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(QDir(m_folder->path()).entryList(QDir::Files).isEmpty());
    }

    void helpOpensTheGuideBesideTheProgram_data()
    {
        QTest::addColumn<bool>("helpViewerRegistered");
        QTest::newRow("a help viewer is registered: it gets the compiled file") << true;
        QTest::newRow("none: the HTML guide in the program's own window") << false;
    }

    void helpOpensTheGuideBesideTheProgram()
    {
        QFETCH(bool, helpViewerRegistered);
        const GuideBesideTheProgram guide;
        useDesktopAssociations(helpViewerRegistered);
        OpenedFiles desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
        AnsweredMessages& answers = freshAnswers();

        named<QAction>(*m_window, "Help1")->trigger();

        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        const auto* helpWindow = m_window->findChild<HelpWindow*>();
        if (helpViewerRegistered) {
            QCOMPARE(desktop.paths, QStringList{guide.folder() + QStringLiteral("/TQ-612.chm")});
            QVERIFY(!helpWindow);
        } else {
            QVERIFY(desktop.paths.isEmpty());
            QVERIFY(helpWindow && helpWindow->isVisible());
            QCOMPARE(named<QTextBrowser>(*helpWindow, "HelpPages")->source(),
                     QUrl::fromLocalFile(guide.folder() + QStringLiteral("/help/index.html")));
        }
        QVERIFY(answers.messages.isEmpty());
        QVERIFY(answers.boxes.isEmpty());
    }
};

TQ612_WINDOW_TEST_MAIN(WindowPictureTest)
#include "WindowPictureTest.moc"
