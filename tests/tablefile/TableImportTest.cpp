#include "tablefile/TableImport.h"

#include "base/UserMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketWriter.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/SplitText.h"
#include "tablefile/TextReportWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct Row {
    std::optional<int32_t> no;
    std::optional<QByteArray> time, value, unit;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* os)
{
    const auto text = [](const std::optional<QByteArray>& t) { return t ? "\"" + t->toStdString() + "\"" : "-"; };
    *os << "{" << (row.no ? std::to_string(*row.no) : "-") << ", " << text(row.time) << ", " << text(row.value)
        << ", " << text(row.unit) << "}";
}

std::optional<QByteArray> owned(std::optional<QByteArrayView> text)
{
    return text ? std::optional<QByteArray>(text->toByteArray()) : std::nullopt;
}

std::vector<Row> rowsOf(const MeasurementTable& table, int from = 0)
{
    std::vector<Row> rows;
    for (int i = from; i < table.rowCount(); ++i) {
        const MeasurementRow row = table.row(i);
        rows.push_back({row.no(), owned(row.time()), owned(row.value()), owned(row.unit())});
    }
    return rows;
}

void append(MeasurementTable& table, const Row& row)
{
    table.appendRow(row.no, row.time, row.value, row.unit);
}

const Row kNullRow = {std::nullopt, std::nullopt, std::nullopt, std::nullopt};

// Quotes, ampersands, markup, backslashes, bytes above 0x7F, inner blanks and a 20-byte text:
// everything a text report carries unchanged.
const std::vector<Row> kPlainRows = {
    {1, "10:15:02", "23.5", "#"},
    {-2147483647 - 1, "\"quoted\" & 'single'", "a<b>&c\\d", "\xB0\xFF"},
    {2147483647, "x y", "12345678901234567890", "?"},
};

class TableImport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    template <class Write>
    QString exportFile(const QString& name, Write write)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        ExportBuffer out(file);
        write(out);
        out.finish();
        return path;
    }

    QString saveReport(const MeasurementTable& table, const QString& name = QStringLiteral("saved.xls"))
    {
        return exportFile(name, [&](ExportBuffer& out) {
            writeTextReport(table, table.rowCount(), "05.03.24", out, {});
        });
    }

    QString savePacket(const MeasurementTable& table, const QString& name = QStringLiteral("saved.xml"))
    {
        return exportFile(name, [&](ExportBuffer& out) { writeDataPacket(table, table.rowCount(), out, {}); });
    }

    // Loads the file and returns how many times the failure was reported.
    int load(const QString& path, MeasurementTable& table, ImportProgress progress = {})
    {
        int failures = 0;
        TableImportSettings settings;
        settings.progress = std::move(progress);
        settings.reportFailure = [&failures] { ++failures; };
        LoadTableFromFile(path, table, false, settings);
        return failures;
    }

    QTemporaryDir m_dir;
};

TEST(SplitTextTest, GivesOnePieceMoreThanThereAreDelimiters)
{
    const struct {
        QByteArray text;
        std::vector<QByteArray> pieces;
    } cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\tb", {"a", "b"}},
        {"\t", {"", ""}},
        {"a\t\tb\t", {"a", "", "b", ""}},
    };
    std::vector<QByteArrayView> pieces = {"left over"};
    for (const auto& c : cases) {
        SplitText(c.text, '\t', pieces);
        std::vector<QByteArray> texts;
        for (QByteArrayView piece : pieces)
            texts.push_back(piece.toByteArray());
        EXPECT_EQ(texts, c.pieces) << c.text.toStdString();
    }
}

TEST_F(TableImport, TextReportComesBackAfterTheRowsAlreadyThere)
{
    MeasurementTable saved;
    for (const Row& row : kPlainRows)
        append(saved, row);
    // Blank texts are written as NULL and come back as those four letters.
    append(saved, {7, "  ", "", "NULL"});
    const QString path = saveReport(saved);

    MeasurementTable table;
    append(table, {99, "live", "1.0", "#"});
    ASSERT_EQ(load(path, table), 0);
    ASSERT_EQ(load(path, table), 0);

    std::vector<Row> expected = {{99, "live", "1.0", "#"}};
    for (int copy = 0; copy < 2; ++copy) {
        expected.insert(expected.end(), kPlainRows.begin(), kPlainRows.end());
        expected.push_back({7, "NULL", "NULL", "NULL"});
    }
    EXPECT_EQ(rowsOf(table), expected);
    EXPECT_EQ(table.changeLogCount(), 9);
    EXPECT_EQ(table.currentRow(), 8);
}

TEST_F(TableImport, DataPacketComesBackExactly)
{
    MeasurementTable saved;
    for (const Row& row : kPlainRows)
        append(saved, row);
    append(saved, {-12, "\t 10:15:03\r\n", "   ", ""});
    append(saved, {std::nullopt, std::nullopt, "tab\there", std::nullopt});
    append(saved, kNullRow);
    append(saved, {0, "a\"b'c&d<e>f\\g", std::nullopt, " \x80\x9F\xA0\xFF"});
    // Control bytes that XML has no character for, NUL included: a text report brings them
    // in, and the packet writes them as they are.
    append(saved, {7, QByteArray("\0\x01\x08", 3), "\x0B\x0C\x0E\x1F", "a\x1B[0m"});

    MeasurementTable table;
    append(table, {99, "live", "1.0", "#"});
    ASSERT_EQ(load(savePacket(saved), table), 0);
    EXPECT_EQ(rowsOf(table, 1), rowsOf(saved));

    // An empty table's packet loads as nothing, without complaint.
    ASSERT_EQ(load(savePacket(MeasurementTable()), table), 0);
    EXPECT_EQ(table.rowCount(), 1 + saved.rowCount());
}

TEST_F(TableImport, TheExtensionPicksTheFormatWhateverItsCase)
{
    MeasurementTable saved;
    append(saved, kPlainRows[0]);
    const QString packet = savePacket(saved, QStringLiteral("upper.XML"));
    MeasurementTable table;
    EXPECT_EQ(load(packet, table), 0);
    EXPECT_EQ(rowsOf(table), std::vector<Row>{kPlainRows[0]});

    // A packet under another name is read as a report: one line, so nothing and no message.
    QFile::copy(packet, m_dir.filePath(QStringLiteral("packet.txt")));
    EXPECT_EQ(load(m_dir.filePath(QStringLiteral("packet.txt")), table), 0);
    EXPECT_EQ(table.rowCount(), 1);
}

struct TextCase {
    const char* name;
    QByteArray file;
    std::vector<Row> rows;
    qint64 failsAtLine;  // 0: the file loads whole
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.name;
}

const QByteArray kHead = "Report created on: 05.03.24\r\n\r\nNo\tTime\tValue\tUnit\r\n";

// Rows 1 to count with the time "t", as report lines and as rows.
QByteArray numberedLines(int count)
{
    QByteArray lines;
    for (int no = 1; no <= count; ++no)
        lines += QByteArray::number(no) + "\tt\r\n";
    return lines;
}

std::vector<Row> numberedRows(int count)
{
    std::vector<Row> rows;
    for (int no = 1; no <= count; ++no)
        rows.push_back({no, "t"});
    return rows;
}

class TextReportCases : public TableImport, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextReportCases, LoadWholeRowsAndStopAtTheFirstBadLine)
{
    const TextCase& c = GetParam();
    MeasurementTable table;
    const TableLoadResult result = LoadTableFromFile(writeFile(QStringLiteral("case.txt"), c.file), table, false);
    EXPECT_EQ(result.outcome, c.failsAtLine ? ImportOutcome::Failed : ImportOutcome::Loaded);
    EXPECT_EQ(rowsOf(table), c.rows);
    // A failure says where the file broke and how many rows came before it.
    if (c.failsAtLine) {
        ASSERT_TRUE(result.stoppedAt);
        EXPECT_EQ(result.stoppedAt->line, c.failsAtLine);
        EXPECT_EQ(result.stoppedAt->rowsAdded, qint64(c.rows.size()));
    } else {
        EXPECT_FALSE(result.stoppedAt);
    }
    // A failing line leaves nothing behind to be completed by a later append.
    table.append();
    table.finishEditing();
    EXPECT_EQ(table.rowCount(), int(c.rows.size()));
}

INSTANTIATE_TEST_SUITE_P(
    TableImport, TextReportCases,
    ::testing::Values(
        TextCase{"ThreeLinesAddNothing", kHead, {}, 0},
        TextCase{"EmptyFile", "", {}, 0},
        TextCase{"HeadLinesAreSkippedWhateverTheyHold", "1\ta\r\n2\tb\r\n3\tc\r\n4\td\r\n", {{4, "d"}}, 0},
        TextCase{"EveryLineEndAndNoneAtTheEnd",
                 "h1\rh2\nh3\r\n1\ta\r2\tb\n3\tc\r\n4\td",
                 {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}},
                 0},
        TextCase{"LineFeedThenCarriageReturnEndTwoLines", kHead + "1\ta\n\r2\tb\r\n", {{1, "a"}}, 5},
        TextCase{"FewerPiecesLeaveFieldsEmpty",
                 kHead + "1\r\n2\tt\r\n3\tt\tv\r\n4\t\t\t\r\n",
                 {{1}, {2, "t"}, {3, "t", "v"}, {4, "", "", ""}},
                 0},
        TextCase{"NumbersByTheIntegerRule", kHead + "  +5\r\n-0\r\n", {{5}, {0}}, 0},
        TextCase{"TextsAreCutTo20", kHead + "1\t123456789012345678901234\r\n", {{1, "12345678901234567890"}}, 0},
        TextCase{"BlankLastLineFailsAfterTheRowsBeforeIt",
                 kHead + "1\ta\tb\tc\r\n\r\n",
                 {{1, "a", "b", "c"}},
                 5},
        TextCase{"FifthPieceFailsTheWholeLine", kHead + "1\ta\r\n2\ta\tb\tc\td\r\n3\ta\r\n", {{1, "a"}}, 5},
        TextCase{"NumberThatDoesNotConvertFails", kHead + "1\ta\r\nx\ta\r\n", {{1, "a"}}, 5},
        TextCase{"NumberBeyond32BitsFails", kHead + "2147483648\ta\r\n", {}, 4},
        TextCase{"BadRowAfterAHundredRows", kHead + numberedLines(100) + "1O1\tt\r\n" + numberedLines(99),
                 numberedRows(100), 104},
        TextCase{"TextEndsAtTheFirstNul",
                 kHead + QByteArray("1\tab\0c\r\nnot a row\r\n", 19),
                 {{1, "ab"}},
                 0}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// A text report that stopped part-way says where and what it had added, so that a half table
// is not taken for the whole file; a file that never loaded says only that it failed.
TEST(LoadFailureMessage, SaysWhereATextReportStopped)
{
    struct ToldMessages : UserMessages {
        MessageAnswer askInBox(const QString&, const QString&, MessageChoices, MessageTone) override
        {
            ADD_FAILURE() << "a failed load is told in the program's dialog";
            return MessageAnswer::Ok;
        }
        MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
        {
            EXPECT_EQ(tone, MessageTone::Warning);
            EXPECT_EQ(choices, MessageChoices::Ok);
            told << text;
            return MessageAnswer::Ok;
        }
        QStringList told;
    };
    const struct {
        std::optional<TextReportPlace> stoppedAt;
        QString text;
    } cases[] = {
        {std::nullopt, "Failed to Load File!"},
        {TextReportPlace{104, 100}, "Failed to Load File!\nThe load stopped at line 104: 100 rows were added."},
        {TextReportPlace{5, 1}, "Failed to Load File!\nThe load stopped at line 5: 1 row was added."},
        {TextReportPlace{2, 0}, "Failed to Load File!\nThe load stopped at line 2: no rows were added."},
    };
    for (const auto& c : cases) {
        ToldMessages messages;
        showLoadFailure(messages, c.stoppedAt);
        EXPECT_EQ(messages.told, QStringList{c.text});
    }
}

TEST_F(TableImport, LinesAcrossBlockBoundariesAndLongerThanABlock)
{
    // Pad the head so that the CR of a CR LF is the last byte of the first megabyte read.
    const qsizetype block = 1 << 20;
    QByteArray file = "head\r\n\r\nNo\tTime\tValue\tUnit\r\n";
    std::vector<Row> expected;
    int no = 0;
    while (file.size() + 60 < block) {
        file += QByteArray::number(++no) + "\tt\r\n";
        expected.push_back({no, "t"});
    }
    const QByteArray lastBeforeBoundary = QByteArray::number(++no) + "\t";
    file += lastBeforeBoundary + QByteArray(block - 1 - file.size() - lastBeforeBoundary.size(), 'x') + "\r\n";
    ASSERT_EQ(file[block - 1], '\r');
    expected.push_back({no, "xxxxxxxxxxxxxxxxxxxx"});
    // A value five megabytes long is cut like any other.
    file += QByteArray::number(++no) + "\t" + QByteArray(5 * block, 'y') + "\tv\r\n";
    expected.push_back({no, "yyyyyyyyyyyyyyyyyyyy", "v"});

    MeasurementTable table;
    EXPECT_EQ(load(writeFile(QStringLiteral("big.txt"), file), table), 0);
    const std::vector<Row> rows = rowsOf(table);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i], expected[i]) << i;
}

// The report's head, then "7 TAB", a line of `length` x's and " TAB v CR LF", made up as it is
// read so that the test holds none of it.
class HugeLineDevice : public QIODevice {
public:
    explicit HugeLineDevice(qint64 length) : m_length(length) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return kHead.size() + 2 + m_length + 4; }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 lineStart = kHead.size() + 2;
        qint64 n = 0;
        for (; n < maxSize && m_at < size(); ++n, ++m_at) {
            if (m_at < kHead.size())
                data[n] = kHead[m_at];
            else if (m_at < lineStart)
                data[n] = "7\t"[m_at - kHead.size()];
            else if (m_at < lineStart + m_length)
                data[n] = 'x';
            else
                data[n] = "\tv\r\n"[m_at - lineStart - m_length];
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 m_length;
    qint64 m_at = 0;
};

long long addressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Lines longer than the reader's buffer are cut down to what decides their row as they come
// in; the rows, and which lines fail, are those the whole lines give.
TEST_F(TableImport, LinesLongerThanTheBufferGiveTheRowsTheWholeLinesGive)
{
    const QByteArray huge(3 << 20, 'y');
    const QByteArray blanks(3 << 20, ' ');
    const QByteArray zeros(3 << 20, '0');
    const struct {
        const char* name;
        QByteArray line;
        std::optional<Row> row;  // none: the line fails
    } cases[] = {
        {"long texts", "7\t" + huge + "\tv\t" + huge, Row{7, "yyyyyyyyyyyyyyyyyyyy", "v", "yyyyyyyyyyyyyyyyyyyy"}},
        {"blanks and zeros before the number", blanks + "-" + zeros + "42\tt", Row{-42, "t"}},
        {"only zeros", zeros + "\tt", Row{0, "t"}},
        {"number too long", "1" + zeros + "\tt", std::nullopt},
        {"blank inside the number", blanks + "+" + blanks + "5\tt", std::nullopt},
        {"fifth piece after a long text", "7\ta\t" + huge + "\tu\tfifth", std::nullopt},
        {"many pieces", "7" + QByteArray(3 << 20, '\t'), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementTable table;
        const QByteArray file = kHead + "1\ta\r\n" + c.line + "\r\n2\tb\r\n";
        EXPECT_EQ(load(writeFile(QStringLiteral("long.txt"), file), table), c.row ? 0 : 1);
        std::vector<Row> expected = {{1, "a"}};
        if (c.row)
            expected.insert(expected.end(), {*c.row, {2, "b"}});
        EXPECT_EQ(rowsOf(table), expected);
    }
}

// Three line feeds and a line of half a gigabyte: the reader's memory must not grow with the
// line. Run in a child whose address space has room for far less than the line.
TEST_F(TableImport, AHugeLineTakesNoMoreMemoryThanARow)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#endif
#endif
    const auto loadUnderALimit = [] {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        const rlimit small{rlim_t(addressSpaceInUse() + (192 << 20)), limit.rlim_max};
        if (setrlimit(RLIMIT_AS, &small) != 0)
            std::exit(2);
        HugeLineDevice in(qint64(512) << 20);
        MeasurementTable table;
        const bool loaded = importTable(in, TableFileFormat::TextReport, table) == ImportOutcome::Loaded;
        std::exit(loaded && rowsOf(table) == std::vector<Row>{{7, "xxxxxxxxxxxxxxxxxxxx", "v"}} ? 0 : 1);
    };
    EXPECT_EXIT(loadUnderALimit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(TableImport, CancellingKeepsTheRowsSoFarAndSaysNothing)
{
    MeasurementTable saved;
    for (int i = 0; i < 200'000; ++i)
        saved.appendRow(i, "10:15:02", "23.5", "#");
    for (const QString& path : {saveReport(saved), savePacket(saved)}) {
        MeasurementTable table;
        int calls = 0;
        EXPECT_EQ(load(path, table, [&calls](qint64 read, qint64 total) {
                      EXPECT_LT(read, total);
                      return ++calls < 2;
                  }),
                  0);
        EXPECT_EQ(calls, 2);
        EXPECT_GT(table.rowCount(), 0);
        EXPECT_LT(table.rowCount(), saved.rowCount());
        EXPECT_EQ(rowsOf(table).back(), (Row{table.rowCount() - 1, "10:15:02", "23.5", "#"}));
    }
}

// Only a regular file is read. A pipe would block the window in open() until a writer came;
// a kernel file that calls itself regular and empty yet has bytes to give is no saved table.
TEST_F(TableImport, AnythingButARegularFileFailsAtOnce)
{
    const QString pipe = m_dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    const struct {
        const char* name;
        QString linkTo;
    } cases[] = {
        {"missing", QString()},
        {"folder", QString()},
        {"pipe", QString()},
        {"link-to-pipe", pipe},
        {"device", QStringLiteral("/dev/null")},
        {"kernel-file", QStringLiteral("/proc/self/stat")},
    };
    for (const auto& c : cases) {
        for (const char* extension : {".txt", ".xml"}) {
            SCOPED_TRACE(std::string(c.name) + extension);
            const QString name = m_dir.filePath(QString::fromLatin1(c.name) + QString::fromLatin1(extension));
            if (!c.linkTo.isEmpty())
                ASSERT_TRUE(QFile::link(c.linkTo, name));
            else if (QFileInfo::exists(m_dir.filePath(QString::fromLatin1(c.name))))
                ASSERT_EQ(std::rename(QFile::encodeName(m_dir.filePath(QString::fromLatin1(c.name))),
                                      QFile::encodeName(name)), 0);
            MeasurementTable table;
            append(table, kPlainRows[0]);
            EXPECT_EQ(load(name, table), 1);
            EXPECT_EQ(table.rowCount(), 1);
            if (c.linkTo.isEmpty() && QFileInfo::exists(name))
                ASSERT_EQ(std::rename(QFile::encodeName(name),
                                      QFile::encodeName(m_dir.filePath(QString::fromLatin1(c.name)))), 0);
        }
    }
}

// Another program appends to, cuts or rewrites the file while it loads: the load fails when it
// sees the change, and no line cut in two becomes a row. A text report keeps the whole rows
// it read before; a packet adds nothing.
TEST_F(TableImport, AFileThatChangesWhileItLoadsFails)
{
    MeasurementTable saved;
    for (int i = 0; i < 200'000; ++i)
        saved.appendRow(i, "10:15:02", "23.5", "#");
    const std::vector<Row> savedRows = rowsOf(saved);
    const struct {
        const char* name;
        std::function<void(QFile&)> change;
    } cases[] = {
        {"appended", [](QFile& file) { file.open(QIODevice::Append) && file.write("99\tcut"); }},
        {"cut short", [](QFile& file) { file.resize(file.size() / 2 + 3); }},
        {"rewritten", [](QFile& file) { file.open(QIODevice::ReadWrite) && file.write("Report"); }},
    };
    for (const auto& c : cases) {
      for (const bool packet : {false, true}) {
        SCOPED_TRACE(std::string(c.name) + (packet ? " packet" : " report"));
        const QString path = packet ? savePacket(saved) : saveReport(saved);
        MeasurementTable table;
        bool changed = false;
        EXPECT_EQ(load(path, table, [&](qint64, qint64) {
                      if (!changed) {
                          QFile file(path);
                          c.change(file);
                          changed = true;
                      }
                      return true;
                  }),
                  1);
        const std::vector<Row> rows = rowsOf(table);
        EXPECT_LT(rows.size(), packet ? 1 : savedRows.size());
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), savedRows.begin()));
      }
    }
}

// A load stops before the table's memory would pass the ceiling it is given (half the
// machine's memory in the program); a text report keeps the rows before, as after any failure,
// a packet adds nothing.
TEST_F(TableImport, ALoadStopsBeforeTheTablePassesTheMemoryCeiling)
{
    MeasurementTable saved;
    for (int i = 0; i < 1'000'000; ++i)
        saved.appendRow(i, "a", std::nullopt, std::nullopt);
    const qint64 ceiling = 8 << 20;
    for (const QString& path : {saveReport(saved), savePacket(saved)}) {
        SCOPED_TRACE(path.toStdString());
        MeasurementTable table;
        int failures = 0;
        TableImportSettings settings;
        settings.reportFailure = [&failures] { ++failures; };
        settings.memoryCeiling = ceiling;
        const TableLoadResult result = LoadTableFromFile(path, table, false, settings);
        EXPECT_EQ(failures, 1);
        EXPECT_LE(table.memoryUsage(), ceiling);
        if (tableFileFormat(path) == TableFileFormat::TextReport) {
            EXPECT_GT(table.rowCount(), 0);
            EXPECT_LT(table.rowCount(), saved.rowCount());
            // The rows kept are told, with the first line that is not among them.
            ASSERT_TRUE(result.stoppedAt);
            EXPECT_EQ(result.stoppedAt->rowsAdded, table.rowCount());
            EXPECT_EQ(result.stoppedAt->line, 3 + table.rowCount() + 1);
        } else {
            EXPECT_EQ(table.rowCount(), 0);
            EXPECT_FALSE(result.stoppedAt);
        }

        // With room enough the same file loads whole.
        MeasurementTable roomy;
        settings.memoryCeiling = 4 * ceiling;
        LoadTableFromFile(path, roomy, false, settings);
        EXPECT_EQ(failures, 1);
        EXPECT_EQ(roomy.rowCount(), saved.rowCount());
    }
}

// A packet that breaks after many blocks takes back every row it added, while readings recorded
// during the load, and the rows there before it, stay in their order. Cancelling keeps the rows.
TEST_F(TableImport, ABrokenPacketAddsNothingAndKeepsTheReadingsRecordedMeanwhile)
{
    MeasurementTable saved;
    for (int i = 0; i < 300'000; ++i)
        saved.appendRow(i, "10:15:02", "23.5", "#");
    QFile packet(savePacket(saved));
    ASSERT_TRUE(packet.open(QIODevice::ReadOnly));
    QByteArray broken = packet.readAll();
    broken.chop(int(std::strlen("</ROWDATA></DATAPACKET>")) + 10);  // cut inside the last row
    const QString path = writeFile(QStringLiteral("broken.xml"), broken);

    MeasurementTable table;
    append(table, {-1, "before", "1.0", "#"});
    int recorded = 0;
    EXPECT_EQ(load(path, table, [&](qint64, qint64) {
                  append(table, {++recorded, "live", "1.0", "#"});
                  return true;
              }),
              1);
    ASSERT_GT(recorded, 1);
    std::vector<Row> expected = {{-1, "before", "1.0", "#"}};
    for (int i = 1; i <= recorded; ++i)
        expected.push_back({i, "live", "1.0", "#"});
    EXPECT_EQ(rowsOf(table), expected);
    EXPECT_EQ(table.changeLogCount(), table.rowCount());
    EXPECT_EQ(table.currentRow(), table.rowCount() - 1);
}

TEST_F(TableImport, EmptyFirstReplacesTheRows)
{
    MeasurementTable saved;
    append(saved, kPlainRows[0]);
    MeasurementTable table;
    append(table, kPlainRows[1]);
    TableImportSettings settings;
    settings.reportFailure = [] { ADD_FAILURE(); };
    LoadTableFromFile(saveReport(saved), table, true, settings);
    EXPECT_EQ(rowsOf(table), std::vector<Row>{kPlainRows[0]});
}

const QByteArray kFields = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                           "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                           "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
                           "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
                           "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>";
const QByteArray kRowsStart = "<PARAMS/></METADATA><ROWDATA><ROW RowState=\"4\" No=\"1\" Time=\"a\"/>";
const QByteArray kRowsEnd = "</ROWDATA></DATAPACKET>";

struct PacketCase {
    const char* name;
    QByteArray file;
    int rows;  // rows added; a packet that fails adds none
    bool fails;
};

void PrintTo(const PacketCase& c, std::ostream* os)
{
    *os << c.name;
}

class DataPacketCases : public TableImport, public ::testing::WithParamInterface<PacketCase> {};

TEST_P(DataPacketCases, AcceptOrFailCleanly)
{
    const PacketCase& c = GetParam();
    MeasurementTable table;
    EXPECT_EQ(load(writeFile(QStringLiteral("case.xml"), c.file), table), c.fails ? 1 : 0);
    EXPECT_EQ(table.rowCount(), c.rows);
}

QByteArray packetWithFields(const QByteArray& fields, const QByteArray& rows)
{
    return "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + kRowsEnd;
}

INSTANTIATE_TEST_SUITE_P(
    TableImport, DataPacketCases,
    ::testing::Values(
        PacketCase{"TwoFieldsOnly",
                   packetWithFields("<FIELD attrname=\"A\" fieldtype=\"i4\"/><FIELD attrname=\"B\" fieldtype=\"i2\"/>",
                                    "<ROW A=\"3\" B=\"-4\"/><ROW/>"),
                   2, false},
        PacketCase{"UnknownFieldType",
                   packetWithFields("<FIELD attrname=\"No\" fieldtype=\"r8\"/>", "<ROW No=\"1\"/>"), 0, true},
        PacketCase{"FiveFields",
                   packetWithFields(QByteArray("<FIELD attrname=\"F1\" fieldtype=\"i4\"/>") +
                                        "<FIELD attrname=\"F2\" fieldtype=\"string\"/><FIELD attrname=\"F3\" "
                                        "fieldtype=\"string\"/><FIELD attrname=\"F4\" fieldtype=\"string\"/>"
                                        "<FIELD attrname=\"F5\" fieldtype=\"string\"/>",
                                    ""),
                   0, true},
        PacketCase{"CharacterReferenceBeyondOneByte", kFields + kRowsStart + "<ROW No=\"2\" Time=\"&#256;\"/>" + kRowsEnd,
                   0, true},
        PacketCase{"MarkupInTheChangeLog",
                   kFields + "<PARAMS CHANGE_LOG=\"1 0 4 <\"/></METADATA><ROWDATA>" + kRowsEnd, 0, true},
        PacketCase{"TextInTheNumberField", kFields + kRowsStart + "<ROW No=\"two\"/>" + kRowsEnd, 0, true},
        PacketCase{"AttributeThatIsNoField", kFields + kRowsStart + "<ROW No=\"2\" Colour=\"red\"/>" + kRowsEnd, 0, true},
        PacketCase{"TruncatedInARow", kFields + kRowsStart + "<ROW No=\"2\" Ti", 0, true},
        PacketCase{"TruncatedAfterTheRows", kFields + kRowsStart + "</ROWDATA>", 0, true},
        PacketCase{"RowsBeforeTheFields", "<DATAPACKET><ROWDATA><ROW/></ROWDATA></DATAPACKET>", 0, true},
        PacketCase{"AnotherRootElement", "<TABLE><ROW/></TABLE>", 0, true},
        PacketCase{"TrailingElement", kFields + kRowsStart + kRowsEnd + "<ROW/>", 0, true},
        PacketCase{"EmptyFile", "", 0, true},
        PacketCase{"UndefinedEntity", kFields + kRowsStart + "<ROW Time=\"&nbsp;\"/>" + kRowsEnd, 0, true},
        PacketCase{"EntityExpansion",
                   "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                   "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"T\" fieldtype=\"string\"/></FIELDS></METADATA>"
                   "<ROWDATA><ROW T=\"&b;\"/></ROWDATA></DATAPACKET>",
                   0, true},
        PacketCase{"ExternalEntity",
                   "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY e SYSTEM \"/etc/passwd\">]><DATAPACKET/>", 0, true},
        // Markup longer than any row: the parser would hold each piece whole and scan it again
        // with every block.
        PacketCase{"LongAttribute",
                   kFields + kRowsStart + "<ROW No=\"2\" Time=\"" + QByteArray(1 << 20, 'y') + "\"/>" + kRowsEnd, 0,
                   true},
        PacketCase{"LongComment", kFields + kRowsStart + "<!--" + QByteArray(1 << 20, '>') + "-->" + kRowsEnd, 0, true},
        PacketCase{"LongReference",
                   kFields + kRowsStart + "<ROW Time=\"&#" + QByteArray(1 << 20, '0') + "65;\"/>" + kRowsEnd, 0, true}),
    [](const ::testing::TestParamInfo<PacketCase>& info) { return std::string(info.param.name); });

}  // namespace
