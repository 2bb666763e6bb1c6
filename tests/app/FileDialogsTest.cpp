#include "app/FileDialogs.h"
#include "app/TFCOMM.h"
#include "NamedControl.h"
#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names of the files in a folder that anything opens while it watches. The named pipe is held
// open for writing, so that a reader's open() returns and is seen rather than waiting for a
// writer; once it is seen the pipe is let go, and the read ends instead of hanging the test.
class FolderOpens {
public:
    FolderOpens(const QString& folder, const QString& pipe)
        : m_pipe(::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC)),
          m_pipeName(QFileInfo(pipe).fileName()),
          m_inotify(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    {
        ::inotify_add_watch(m_inotify, QFile::encodeName(folder).constData(), IN_OPEN);
        m_watcher = std::thread([this] { watch(); });
    }
    ~FolderOpens()
    {
        m_stop = true;
        m_watcher.join();
        ::close(m_inotify);
        letPipeGo();
    }
    bool ready() const { return m_pipe >= 0 && m_inotify >= 0; }
    QStringList opened() const
    {
        QMutexLocker lock(&m_mutex);
        return m_opened;
    }

private:
    void watch()
    {
        alignas(inotify_event) char events[4096];
        while (!m_stop) {
            pollfd wait{m_inotify, POLLIN, 0};
            if (::poll(&wait, 1, 20) <= 0)
                continue;
            const ssize_t got = ::read(m_inotify, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                if (event->len == 0)
                    continue;  // the folder itself, listed
                const QString name = QFile::decodeName(event->name);
                {
                    QMutexLocker lock(&m_mutex);
                    m_opened << name;
                }
                if (name == m_pipeName)
                    letPipeGo();
            }
        }
    }
    void letPipeGo()
    {
        const int pipe = m_pipe.exchange(-1);
        if (pipe >= 0)
            ::close(pipe);
    }

    std::atomic<int> m_pipe;
    QString m_pipeName;
    int m_inotify;
    std::atomic<bool> m_stop = false;
    std::thread m_watcher;
    mutable QMutex m_mutex;
    QStringList m_opened;
};

}  // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void filterPairsBecomeQtNameFilters_data()
    {
        QTest::addColumn<QString>("pairs");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open") << FileDialogs::OpenFilter
                              << QStringList{"Excel File(*.xls) (*.xls)", "XML (*.xml) (*.xml)", "Txt File(*.txt) (*.txt)"};
        QTest::newRow("several patterns") << QStringLiteral("Tables|*.xls;*.txt")
                                          << QStringList{"Tables (*.xls *.txt)"};
        QTest::newRow("description without pattern") << QStringLiteral("Bitmaps (*.bmp)|*.bmp|Orphan")
                                                     << QStringList{"Bitmaps (*.bmp) (*.bmp)"};
        QTest::newRow("empty") << QString() << QStringList{};
    }

    void filterPairsBecomeQtNameFilters()
    {
        QFETCH(QString, pairs);
        QFETCH(QStringList, expected);
        QCOMPARE(FileDialogs::nameFilters(pairs), expected);
    }

    void suffixFollowsTheChosenFilter_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("description as shown") << "XML(*.xml)" << "xml";
        QTest::newRow("full filter") << "Txt File(*.txt) (*.txt)" << "txt";
        QTest::newRow("first of several patterns") << "Tables" << "txt";
        QTest::newRow("any file") << "All" << "";
        QTest::newRow("unknown choice") << "Pictures" << "";
    }

    void suffixFollowsTheChosenFilter()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, suffix);
        const QStringList filters = FileDialogs::nameFilters(
            FileDialogs::SaveFilter + QStringLiteral("|Tables|*.txt;*.xls|All|*.*"));
        QCOMPARE(FileDialogs::suffixForChoice(filters, chosen), suffix);
    }

    void windowDialogsAreSetUpForTheirJobs()
    {
        TFCOMM window(windowDialogs());
        const struct {
            const char* name;
            QFileDialog::AcceptMode mode;
            const char* suffix;
            QStringList shown;
        } dialogs[] = {
            {"OpenDialog1", QFileDialog::AcceptOpen, "", {"Excel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"}},
            {"OpenDialog2", QFileDialog::AcceptOpen, "", {"Excel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"}},
            {"SaveDialog1", QFileDialog::AcceptSave, "xls", {"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}},
            {"SaveDialog2", QFileDialog::AcceptSave, "xls", {"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}},
            {"SavePictureDialog1", QFileDialog::AcceptSave, "bmp", {"Bitmaps (*.bmp)"}},
        };
        // None is made before it is wanted: each would keep a thread watching folders.
        QVERIFY(window.findChildren<QFileDialog*>().isEmpty());
        for (const auto& expected : dialogs) {
            auto* dialog = window.fileDialog(QString::fromLatin1(expected.name));
            QVERIFY2(dialog, expected.name);
            QCOMPARE(dialog->objectName(), QString::fromLatin1(expected.name));
            QCOMPARE(window.fileDialog(QString::fromLatin1(expected.name)), dialog);
            QCOMPARE(dialog->acceptMode(), expected.mode);
            QCOMPARE(dialog->defaultSuffix(), QString::fromLatin1(expected.suffix));
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
            // The user sees each description exactly as written.
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            QStringList shown;
            for (int i = 0; i < types->count(); ++i)
                shown << types->itemText(i);
            QCOMPARE(shown, expected.shown);
        }
    }

    // The dialog lists the folder of the chosen name on the window's thread. Telling the types of
    // its files must not read them: a named pipe (here the chosen name itself) or a kernel file
    // such as /proc/kmsg would never answer. "kmsg" is a plain file whose name says nothing of its
    // type, which is what made the dialog read it.
    void choosingASpecialFileReadsNothingInItsFolder()
    {
        QTemporaryDir folder;
        const QString pipe = folder.filePath(QStringLiteral("x.xls"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QFile kernelLike(folder.filePath(QStringLiteral("kmsg")));
        QVERIFY(kernelLike.open(QIODevice::WriteOnly));
        kernelLike.write("<6>a message");
        kernelLike.close();
        FolderOpens opens(folder.path(), pipe);
        QVERIFY(opens.ready());

        QWidget parent;
        QFileDialog* dialog = FileDialogs::createSaveDialog(&parent, QStringLiteral("SaveDialog1"),
                                                            FileDialogs::SaveFilter, QStringLiteral("xls"));
        bool listed = false;
        QTimer::singleShot(0, dialog, [dialog, &pipe, &listed] {
            auto* files = dialog->findChild<QFileSystemModel*>();
            // The folder's files come in together, each with its type told; "kmsg" is hidden by
            // the name filter, not skipped.
            listed = QTest::qWaitFor([&] { return files && files->index(pipe).isValid(); }, 10000);
            QTest::qWait(200);
            // Replacing the pipe is confirmed, as any existing name is.
            QTimer::singleShot(0, dialog, [dialog] {
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (auto* question = qobject_cast<QMessageBox*>(window))
                        question->button(QMessageBox::Yes)->click();
                }
            });
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept checks the name
        });
        QCOMPARE(FileDialogs::askSaveName(dialog, pipe), pipe);
        QVERIFY(listed);
        QCOMPARE(opens.opened(), QStringList());
    }

    void choosingAnotherTypeChangesTheAddedExtension()
    {
        TFCOMM window(windowDialogs());
        QFileDialog* save = window.fileDialog(QStringLiteral("SaveDialog1"));
        auto* types = save->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(save->defaultSuffix(), QStringLiteral("xml"));
        QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(save->defaultSuffix(), QStringLiteral("txt"));
    }
};

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
