// The table report rendered to PDF through the printer path and read back with poppler's tools:
// pages, footers, header texts, row order and where the bands land on the paper; and the file,
// which appears only once every page is out.
#include "base/ProgramError.h"
#include "font/LcdFont.h"
#include "record/MeasurementTable.h"
#include "report/ReportPrinting.h"
#include "report/TablePrintCommand.h"
#include "report/TableReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <optional>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// Row i (from 0) holds No = i + 1, a time that counts seconds, a value and the Celsius sign.
void fillTable(MeasurementTable& table, int rows)
{
    for (int i = 0; i < rows; ++i) {
        const QByteArray time = QTime(0, 0).addSecs(i).toString(QStringLiteral("hh:mm:ss")).toLatin1();
        table.appendRow(i + 1, time, QByteArray::number(20 + i % 10) + ".5", "#");
    }
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), tool.readAllStandardError().constData());
    return QString::fromUtf8(tool.readAllStandardOutput());
}

struct Word {
    QString text;
    int page;  // from 0
    double leftMm, topMm, rightMm;
};

// The report's printer set-up, writing a PDF file instead of going to a printer.
void printToPdf(QPrinter& printer, const QString& fileName)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    setUpReportPrinter(printer);
}

// The report in a PDF file, and what poppler reads out of it.
class ReportPdf {
public:
    explicit ReportPdf(const TableReport& report)
    {
        m_file = m_dir.filePath(QStringLiteral("report.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printToPdf(printer, m_file);
        if (!printReport(report, printer))
            qFatal("printing stopped");
    }

    QString file() const { return m_file; }

    int pageCount() const { return pageCountOf(m_file); }

    static int pageCountOf(const QString& file)
    {
        const QString info = runTool(QStringLiteral("pdfinfo"), {file});
        return QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    }

    QString pageSize() const
    {
        const QString info = runTool(QStringLiteral("pdfinfo"), {m_file});
        return QRegularExpression(QStringLiteral("Page size:\\s+([^\\n]*)")).match(info).captured(1).trimmed();
    }

    // The text of each page as laid out.
    QStringList pageTexts() const
    {
        QStringList pages = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), m_file, QStringLiteral("-")})
                                .split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    QList<Word> words() const
    {
        const QString html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_file, QStringLiteral("-")});
        QList<Word> words;
        QXmlStreamReader xml(html);
        int page = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("page")) {
                ++page;
            } else if (xml.name() == QLatin1String("word")) {
                const auto at = xml.attributes();
                const auto mm = [&](const char* name) { return at.value(QLatin1String(name)).toDouble() / kPointsPerMm; };
                words.append({{}, page, mm("xMin"), mm("yMin"), mm("xMax")});
                words.back().text = xml.readElementText();
            }
        }
        return words;
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

// The row numbers of the detail lines, in the order they are printed.
QList<int> printedRowNumbers(const QString& pageText)
{
    static const QRegularExpression detail(QStringLiteral("^\\s*(\\d+)\\s+\\d\\d:\\d\\d:\\d\\d\\s"),
                                           QRegularExpression::MultilineOption);
    QList<int> numbers;
    for (auto match = detail.globalMatch(pageText); match.hasNext();)
        numbers.append(match.next().captured(1).toInt());
    return numbers;
}

std::optional<Word> findWord(const QList<Word>& words, const QString& text, int page)
{
    for (const Word& word : words) {
        if (word.page == page && word.text == text)
            return word;
    }
    return std::nullopt;
}

}  // namespace

class ReportPdfTest : public QObject {
    Q_OBJECT
private slots:
    void pagesFootersAndRowOrder_data();
    void pagesFootersAndRowOrder();
    void headerTextsAndDateOnEveryPage();
    void bandsLandWhereTheLayoutPutsThem_data();
    void bandsLandWhereTheLayoutPutsThem();
    void aPageRangePrintsOnlyThosePages();
    void aFileAppearsOnlyWhenEveryPageIsOut_data();
    void aFileAppearsOnlyWhenEveryPageIsOut();
};

void ReportPdfTest::pagesFootersAndRowOrder_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    // A page with a footer holds 35 rows; the last page, without one, 37.
    QTest::newRow("one row") << 1 << 1;
    QTest::newRow("a full single page") << 37 << 1;
    QTest::newRow("one row too many for one page") << 38 << 2;
    QTest::newRow("40 rows") << 40 << 2;
    QTest::newRow("41 rows") << 41 << 2;
    QTest::newRow("two full pages") << 72 << 2;
    QTest::newRow("1000 rows") << 1000 << 29;
}

void ReportPdfTest::pagesFootersAndRowOrder()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    MeasurementTable table;
    fillTable(table, rows);
    const ReportPdf pdf(TableReport(table, QStringLiteral("05.03.24")));

    QCOMPARE(pdf.pageCount(), pages);
    QVERIFY(pdf.pageSize().contains(QLatin1String("(A4)")));
    const QStringList texts = pdf.pageTexts();
    QCOMPARE(texts.size(), pages);
    QList<int> printed;
    for (int page = 0; page < pages; ++page) {
        const bool footer = texts[page].contains(QLatin1String("The Data Print Foot"));
        QVERIFY2(footer == (page < pages - 1), qPrintable(QStringLiteral("page %1").arg(page + 1)));
        printed += printedRowNumbers(texts[page]);
    }
    QList<int> expected;
    for (int no = 1; no <= rows; ++no)
        expected.append(no);
    QCOMPARE(printed, expected);
}

void ReportPdfTest::headerTextsAndDateOnEveryPage()
{
    MeasurementTable table;
    fillTable(table, 40);
    // The date comes from the print command, in the short format of the locale it is given.
    std::optional<ReportPdf> pdf;
    bool printing = false;
    TablePrintCommand command(printing, {.showPreview = [&](const TableReport& report) { pdf.emplace(report); },
                                         .tellTableEmpty = [] { QFAIL("the table is not empty"); },
                                         .repaintWindow = [] {}});
    command.run(table, QDate(2024, 3, 5), QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(pdf);

    const QStringList texts = pdf->pageTexts();
    QCOMPARE(texts.size(), 2);
    static const QRegularExpression header(QStringLiteral("^\\s*TQ-612 Data\\s*\\n\\s*Date:\\s*05\\.03\\.24\\s*\\n"
                                                          "\\s*No\\s+Time\\s+Value\\s+Unit\\s*\\n"));
    for (const QString& text : texts)
        QVERIFY2(header.match(text).hasMatch(), qPrintable(text.left(300)));
}

void ReportPdfTest::bandsLandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("centredUpTo");  // for a centred item: its last word
    QTest::addColumn<int>("page");
    QTest::addColumn<double>("xMm");  // left edge, or centre of a centred item
    QTest::addColumn<double>("topMm");

    // From the paper's edges: the 10 mm margin, the band's top on the page, the item in its band.
    // The title's box is 5 mm high and its text centred in it, half a millimetre below the box.
    QTest::newRow("title, centred across the band") << "TQ-612" << "Data" << 0 << 105.0 << 10 + 2.1 + 0.5;
    QTest::newRow("page 2 has the title too") << "TQ-612" << "Data" << 1 << 105.0 << 10 + 2.1 + 0.5;
    // The date follows its caption so closely that the two read as one word.
    QTest::newRow("date caption and date") << "Date:05.03.24" << "" << 0 << 12.1 << 10 + 10.6;
    QTest::newRow("No caption") << "No" << "" << 0 << 18.5 << 10 + 19.8 + 4.2;
    QTest::newRow("Time caption") << "Time" << "" << 0 << 43.9 << 10 + 19.8 + 4.2;
    QTest::newRow("Value caption") << "Value" << "" << 0 << 109.5 << 10 + 19.8 + 4.2;
    QTest::newRow("Unit caption") << "Unit" << "" << 1 << 142.3 << 10 + 19.8 + 4.2;
    QTest::newRow("first row's time") << "00:00:00" << "" << 0 << 43.9 << 10 + 30.4 + 2.1;
    QTest::newRow("first row's value") << "20.5" << "" << 0 << 109.5 << 10 + 30.4 + 2.1;
    QTest::newRow("35th row's time, last above the footer") << "00:00:34" << "" << 0 << 43.9 << 10 + 30.4 + 34 * 6.6 + 2.1;
    QTest::newRow("first row of page 2 starts under its headers") << "00:00:35" << "" << 1 << 43.9 << 10 + 30.4 + 2.1;
    QTest::newRow("footer at the bottom of the printable area") << "The" << "" << 0 << 18.5 << 10 + 266.4 + 4.2;
}

void ReportPdfTest::bandsLandWhereTheLayoutPutsThem()
{
    QFETCH(QString, word);
    QFETCH(QString, centredUpTo);
    QFETCH(int, page);
    QFETCH(double, xMm);
    QFETCH(double, topMm);

    static const QList<Word> words = [] {
        MeasurementTable table;
        fillTable(table, 40);
        return ReportPdf(TableReport(table, QStringLiteral("05.03.24"))).words();
    }();
    const std::optional<Word> found = findWord(words, word, page);
    QVERIFY2(found, qPrintable(word));
    double x = found->leftMm;
    if (!centredUpTo.isEmpty()) {
        const std::optional<Word> last = findWord(words, centredUpTo, page);
        QVERIFY2(last, qPrintable(centredUpTo));
        x = (found->leftMm + last->rightMm) / 2;
    }
    QVERIFY2(qAbs(x - xMm) <= 1.0, qPrintable(QStringLiteral("x %1 mm").arg(x)));
    QVERIFY2(qAbs(found->topMm - topMm) <= 1.0, qPrintable(QStringLiteral("y %1 mm").arg(found->topMm)));
}

void ReportPdfTest::aPageRangePrintsOnlyThosePages()
{
    MeasurementTable table;
    fillTable(table, 1000);
    const TableReport report(table, QStringLiteral("05.03.24"));
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printToPdf(printer, dir.filePath(QStringLiteral("range.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(3, 4);
    QVERIFY(printReport(report, printer));

    const QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), printer.outputFileName(),
                                                               QStringLiteral("-")});
    QCOMPARE(text.count(QLatin1Char('\f')), 2);
    const QList<int> printed = printedRowNumbers(text);
    QCOMPARE(printed.size(), 70);
    QCOMPARE(printed.front(), 71);
    QCOMPARE(printed.back(), 140);
}

void ReportPdfTest::aFileAppearsOnlyWhenEveryPageIsOut_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("earlierFile");
    for (const char* ending : {"every page out", "cancelled after two pages", "failed on page three"}) {
        for (const bool earlier : {false, true})
            QTest::addRow("%s, %s", ending, earlier ? "over an earlier file" : "a new file") << ending << earlier;
    }
}

void ReportPdfTest::aFileAppearsOnlyWhenEveryPageIsOut()
{
    QFETCH(QString, ending);
    QFETCH(bool, earlierFile);
    MeasurementTable table;
    fillTable(table, 1000);
    const TableReport report(table, QStringLiteral("05.03.24"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    const QByteArray earlier = "an earlier file of that name";
    const QFile::Permissions earlierPermissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    if (earlierFile) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(earlier);
        old.close();
        QVERIFY(old.setPermissions(earlierPermissions));
    }
    QPrinter printer(QPrinter::HighResolution);
    printToPdf(printer, file);

    QList<int> asked;
    bool done = false;
    try {
        done = printReport(report, printer, [&](int printed, int) {
            asked.append(printed);
            if (printed == 2 && ending.startsWith(QLatin1String("failed")))
                table.empty();  // the rows the report counted are gone: drawing page three fails
            return printed < 2 || !ending.startsWith(QLatin1String("cancelled"));
        });
    } catch (const ProgramError&) {
        QVERIFY(ending.startsWith(QLatin1String("failed")));
    }

    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(printer.outputFileName(), file);
    if (ending == QLatin1String("every page out")) {
        QVERIFY(done);
        QCOMPARE(asked.size(), 30);  // before each of the 29 pages, and once when all are out
        QCOMPARE(left, QStringList{"report.pdf"});
        QCOMPARE(ReportPdf::pageCountOf(file), 29);
        if (earlierFile)
            QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), earlierPermissions);
        return;
    }
    QVERIFY(!done);
    QCOMPARE(asked, (QList<int>{0, 1, 2}));
    if (!earlierFile) {
        QVERIFY(left.isEmpty());
        return;
    }
    QCOMPARE(left, QStringList{"report.pdf"});
    QFile kept(file);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), earlier);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    registerLcdFont();
    ReportPdfTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReportPdfTest.moc"
