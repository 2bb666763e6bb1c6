// The chart picture: the saver's steps through fake ports, the bitmap it writes, and the stamp.
#include "chart/ChartPicture.h"

#include "base/LocaleTexts.h"
#include "base/UserMessages.h"
#include "base/ProgramError.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

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
    void savesARealBitmapUnderWhateverNameWasChosen_data();
    void savesARealBitmapUnderWhateverNameWasChosen();
    void stampSitsAtTheChartsTopRightWhateverItsWidth_data();
    void stampSitsAtTheChartsTopRightWhateverItsWidth();
    void stampIsTodayInTheLocalesShortDateFormat();
    void cancellingTheDialogDoesNothing();
    void failedWriteThrowsNamingTheFileAndShowsNoSuccess_data();
    void failedWriteThrowsNamingTheFileAndShowsNoSuccess();
    void failedWriteKeepsAnEarlierPicture();
};

void ChartPictureTest::savesARealBitmapUnderWhateverNameWasChosen_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("the proposed date, no extension") << "2024-03-05";
    QTest::newRow(".bmp") << "chart.bmp";
    QTest::newRow(".png still gets a bitmap") << "chart.png";
}

void ChartPictureTest::savesARealBitmapUnderWhateverNameWasChosen()
{
    QFETCH(QString, name);
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

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(littleEndianAt<quint32>(bytes, 2), quint32(bytes.size()));
    const quint32 pixelOffset = littleEndianAt<quint32>(bytes, 10);
    QVERIFY(pixelOffset >= 14 + 40 && pixelOffset < quint32(bytes.size()));
    QVERIFY(littleEndianAt<quint32>(bytes, 14) >= 40);  // an information header Windows reads
    QCOMPARE(littleEndianAt<qint32>(bytes, 18), 583);
    QCOMPARE(qAbs(littleEndianAt<qint32>(bytes, 22)), 514);
    QCOMPARE(littleEndianAt<quint16>(bytes, 26), quint16(1));
    QVERIFY(littleEndianAt<quint16>(bytes, 28) >= 24);

    QImageReader reader(fileName);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), chart.size());
    QVERIFY(!blueArea(saved).isEmpty());
    QCOMPARE(saved, stampedWithDate(chart, "3/5/24"));
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

QTEST_MAIN(ChartPictureTest)
#include "ChartPictureTest.moc"
