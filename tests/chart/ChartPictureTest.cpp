// The chart picture: the saver's steps through fake ports, the file it writes in the type its
// name asks for, how that file replaces an earlier one, and the stamp.
#include "chart/ChartPicture.h"

#include "FaultyFiles.h"
#include "base/LocaleTexts.h"
#include "base/UserMessages.h"
#include "base/ProgramError.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QDate kToday(2024, 3, 5);

// Something chart-like with no blue in it: a grey frame and a red line on white.
QImage fakeChart(QSize size)
{
    QImage chart(size, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter painter(&chart);
    painter.setPen(Qt::gray);
    painter.drawRect(chart.rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::red);
    painter.drawLine(0, size.height() - 1, size.width() - 1, 0);
    return chart;
}

bool isStampBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 80 && qGreen(pixel) < 80;
}

// The smallest rectangle holding every stamp-blue pixel; empty when there is none.
QRect blueArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isStampBlue(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// What the saver did with its ports, and the texts of the messages it showed.
struct SaverRecord : UserMessages {
    QStringList proposedNames;
    int renders = 0;
    QList<QImage> clipboard;
    QStringList messages;

    MessageAnswer askInBox(const QString& text, const QString&, MessageChoices, MessageTone) override
    {
        messages << QStringLiteral("box: ") + text;
        return MessageAnswer::Cancel;
    }
    MessageAnswer askInDialog(const QString& text, MessageTone, MessageChoices) override
    {
        messages << text;
        return MessageAnswer::Ok;
    }
};

ChartPictureSaver::Ports fakePorts(SaverRecord& record, const QString& chosenName, const QImage& chart,
                                   const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
{
    return {
        .askFileName = [&record, chosenName](const QString& proposed) {
            record.proposedNames << proposed;
            return chosenName;
        },
        .renderChart = [&record, chart] {
            ++record.renders;
            return chart;
        },
        .putOnClipboard = [&record](const QImage& picture) { record.clipboard << picture; },
        .today = [] { return kToday; },
        .locale = locale,
    };
}

template <class T>
T littleEndianAt(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

}  // namespace

class ChartPictureTest : public QObject {
    Q_OBJECT
private slots:
    void savesInTheTypeTheNameAsksFor_data();
    void savesInTheTypeTheNameAsksFor();
    void stampSitsAtTheChartsTopRightWhateverItsWidth_data();
    void stampSitsAtTheChartsTopRightWhateverItsWidth();
    void stampIsTodayInTheLocalesShortDateFormat();
    void cancellingTheDialogDoesNothing();
    void failedWriteThrowsNamingTheFileAndShowsNoSuccess_data();
    void failedWriteThrowsNamingTheFileAndShowsNoSuccess();
    void failedWriteKeepsAnEarlierPicture();
    void failingDiskIsAFailedSave_data();
    void failingDiskIsAFailedSave();
    void onlyARegularFileIsReplaced();
};

void ChartPictureTest::savesInTheTypeTheNameAsksFor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("the proposed date, no extension") << "2024-03-05" << QByteArray("bmp");
    QTest::newRow(".bmp") << "chart.bmp" << QByteArray("bmp");
    QTest::newRow("a type no picture has") << "chart.tq612" << QByteArray("bmp");
    QTest::newRow(".png") << "chart.png" << QByteArray("png");
    QTest::newRow(".PNG") << "CHART.PNG" << QByteArray("png");
    QTest::newRow(".svg") << "chart.svg" << QByteArray("svg");
    QTest::newRow(".pdf") << "chart.pdf" << QByteArray("pdf");
}

void ChartPictureTest::savesInTheTypeTheNameAsksFor()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(name);
    const QImage chart = fakeChart(QSize(583, 514));
    SaverRecord record;

    ChartPictureSaver(fakePorts(record, fileName, chart), record).save();

    QCOMPARE(record.proposedNames, QStringList{"2024-03-05"});
    QCOMPARE(record.messages, QStringList{"Graphic has saved on " + fileName});
    // The clipboard holds the chart as rendered, without the stamp.
    QCOMPARE(record.clipboard.size(), 1);
    QCOMPARE(record.clipboard[0], chart);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QImage stamped = stampedWithDate(chart, "3/5/24");
    if (format == "pdf") {
        QVERIFY(bytes.startsWith("%PDF-"));
        // One page the chart's size at the screen's 96 dots per inch, in whole points.
        QVERIFY(bytes.contains("/MediaBox [0 0 437.000000 386.000000]"));
        return;
    }
    QImageReader reader(fileName);
    QCOMPARE(reader.format(), format);
    // A drawing's own size is in millimetres, which readers turn into pixels each its own way.
    if (format == "svg")
        reader.setScaledSize(chart.size());
    const QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), chart.size());
    if (format == "svg") {
        // Drawn again from the document, so edges may be smoothed differently; the stamp is there.
        QCOMPARE(blueArea(saved), blueArea(stamped));
        return;
    }
    QCOMPARE(saved, stamped);
    if (format == "bmp") {
        QVERIFY(bytes.startsWith("BM"));
        QCOMPARE(littleEndianAt<quint32>(bytes, 2), quint32(bytes.size()));
        const quint32 pixelOffset = littleEndianAt<quint32>(bytes, 10);
        QVERIFY(pixelOffset >= 14 + 40 && pixelOffset < quint32(bytes.size()));
        QVERIFY(littleEndianAt<quint32>(bytes, 14) >= 40);  // an information header Windows reads
        QCOMPARE(littleEndianAt<qint32>(bytes, 18), 583);
        QCOMPARE(qAbs(littleEndianAt<qint32>(bytes, 22)), 514);
        QCOMPARE(littleEndianAt<quint16>(bytes, 26), quint16(1));
        QVERIFY(littleEndianAt<quint16>(bytes, 28) >= 24);
    }
}

void ChartPictureTest::stampSitsAtTheChartsTopRightWhateverItsWidth_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("the chart as laid out") << QSize(583, 514);
    QTest::newRow("a narrower chart") << QSize(300, 200);
}

void ChartPictureTest::stampSitsAtTheChartsTopRightWhateverItsWidth()
{
    QFETCH(QSize, size);
    const QImage chart = fakeChart(size);

    const QImage stamped = stampedWithDate(chart, "05.03.2024");

    QCOMPARE(stamped.size(), size);
    const QRect blue = blueArea(stamped);
    QVERIFY(!blue.isEmpty());
    // The text's ink starts a pixel or two inside its top left corner, and reads as a date.
    QVERIFY2(blue.left() >= size.width() - 130 && blue.left() <= size.width() - 125,
             qPrintable(QString::number(blue.left())));
    QVERIFY2(blue.top() >= 6 && blue.top() <= 10, qPrintable(QString::number(blue.top())));
    QVERIFY(blue.width() > 30 && blue.height() > 5 && blue.bottom() < 6 + 20);
    // Nothing is painted around the text (its smoothed edges aside): every other pixel is as it was.
    const QRect text = blue.adjusted(-1, -1, 1, 1);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (!text.contains(x, y) && stamped.pixel(x, y) != chart.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) changed outside the stamp").arg(x).arg(y)));
        }
    }
    QCOMPARE(chart, fakeChart(size));  // the rendered chart itself stays unstamped
}

void ChartPictureTest::stampIsTodayInTheLocalesShortDateFormat()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath("chart.bmp");
    const QImage chart = fakeChart(QSize(583, 514));
    const QLocale german(QLocale::German, QLocale::Germany);
    SaverRecord record;

    ChartPictureSaver(fakePorts(record, fileName, chart, german), record).save();

    const QImage saved = QImage(fileName).convertToFormat(QImage::Format_RGB32);
    const QString germanDate = QString::fromLocal8Bit(LocaleTexts::shortDateText(kToday, german));
    QCOMPARE(germanDate, QStringLiteral("05.03.24"));
    QCOMPARE(saved, stampedWithDate(chart, germanDate));
    QVERIFY(saved != stampedWithDate(chart, QStringLiteral("3/5/24")));
}

void ChartPictureTest::cancellingTheDialogDoesNothing()
{
    SaverRecord record;

    ChartPictureSaver(fakePorts(record, QString(), fakeChart(QSize(100, 50))), record).save();

    QCOMPARE(record.proposedNames.size(), 1);
    QCOMPARE(record.renders, 0);
    QVERIFY(record.clipboard.isEmpty());
    QVERIFY(record.messages.isEmpty());
}

void ChartPictureTest::failedWriteThrowsNamingTheFileAndShowsNoSuccess_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reason");
    // Paths that fail for root too, as the tests may run as root.
    QTest::newRow("folder does not exist") << "missing/folder/chart.bmp" << "No such file or directory";
    QTest::newRow("folder is a regular file") << "plain-file/chart.bmp" << "Not a directory";
    QTest::newRow("no files can be made there") << "/proc/chart.bmp" << "";
}

void ChartPictureTest::failedWriteThrowsNamingTheFileAndShowsNoSuccess()
{
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain-file"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString path = QDir::isAbsolutePath(fileName) ? fileName : dir.filePath(fileName);
    SaverRecord record;

    try {
        ChartPictureSaver(fakePorts(record, path, fakeChart(QSize(200, 100))), record).save();
        QFAIL("no failure reported");
    } catch (const ProgramError& error) {
        const QString text = QString::fromUtf8(error.what());
        QVERIFY2(text.contains(path), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        QVERIFY2(!text.endsWith(QLatin1String(": ")), qPrintable(text));  // a reason is given
    }
    QVERIFY(record.messages.isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"plain-file"});
}

void ChartPictureTest::failedWriteKeepsAnEarlierPicture()
{
    // An empty picture (a chart with no size) is refused after the file was opened: the earlier
    // file stays whole.
    QTemporaryDir dir;
    const QString fileName = dir.filePath("chart.bmp");
    QFile earlier(fileName);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
    earlier.close();
    SaverRecord record;
    auto ports = fakePorts(record, fileName, QImage());

    QVERIFY_THROWS_EXCEPTION(ProgramError, ChartPictureSaver(ports, record).save());

    QVERIFY(record.messages.isEmpty());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier picture"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"chart.bmp"});
}

// Data that never reached the disk fails the save and keeps the earlier picture; a folder that
// cannot be synced after the new picture took its place fails it too, as a power cut could undo it.
void ChartPictureTest::failingDiskIsAFailedSave_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("earlierKept");
    QTest::newRow("write") << 0 << true;
    QTest::newRow("data sync") << 1 << true;
    QTest::newRow("folder sync") << 2 << false;
}

void ChartPictureTest::failingDiskIsAFailedSave()
{
    QFETCH(int, step);
    QFETCH(bool, earlierKept);
    std::error_code FaultyFiles::*const steps[] = {&FaultyFiles::writeError, &FaultyFiles::syncDataError,
                                                    &FaultyFiles::syncFolderError};
    for (const char* name : {"chart.bmp", "chart.png", "chart.svg", "chart.pdf"}) {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QString::fromLatin1(name));
        QFile earlier(fileName);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier picture");
        earlier.close();
        FaultyFiles files;
        files.*steps[step] = std::make_error_code(std::errc::io_error);
        SaverRecord record;

        try {
            ChartPictureSaver(fakePorts(record, fileName, fakeChart(QSize(200, 100))), record, files).save();
            QFAIL(qPrintable(QStringLiteral("%1: no failure reported").arg(fileName)));
        } catch (const ProgramError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Could not save the picture %1: Input/output error").arg(fileName));
        }
        QVERIFY(record.messages.isEmpty());
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll() == "earlier picture", earlierKept);
        earlier.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString::fromLatin1(name)});
    }
}

// A named pipe (or a device) under the chosen name is refused and stays what it was.
void ChartPictureTest::onlyARegularFileIsReplaced()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath("chart.png");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    SaverRecord record;

    try {
        ChartPictureSaver(fakePorts(record, pipe, fakeChart(QSize(200, 100))), record).save();
        QFAIL("no failure reported");
    } catch (const ProgramError& error) {
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("Could not save the picture %1: It is a named pipe, not a regular file").arg(pipe));
    }
    QVERIFY(record.messages.isEmpty());
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(pipe).constData(), &status), 0);
    QVERIFY(S_ISFIFO(status.st_mode));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"chart.png"});
}

QTEST_MAIN(ChartPictureTest)
#include "ChartPictureTest.moc"
