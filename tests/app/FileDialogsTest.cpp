#include "app/FileDialogs.h"
#include "app/TFCOMM.h"
#include "NamedControl.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QFileDialog>
#include <QtTest>

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
        for (const auto& expected : dialogs) {
            auto* dialog = window.findChild<QFileDialog*>(QString::fromLatin1(expected.name));
            QVERIFY2(dialog, expected.name);
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

    void choosingAnotherTypeChangesTheAddedExtension()
    {
        TFCOMM window(windowDialogs());
        QFileDialog* save = named<QFileDialog>(window, "SaveDialog1");
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
