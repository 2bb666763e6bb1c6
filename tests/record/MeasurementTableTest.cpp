#include "record/MeasurementTable.h"

#include "base/IntegerText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::optional<std::string>>;

// Time, Value and Unit of a row, with std::nullopt for a missing value.
Texts textsOf(const MeasurementRow& row)
{
    Texts texts;
    for (int field = MeasurementTable::Time; field <= MeasurementTable::Unit; ++field) {
        const std::optional<QByteArrayView> text = row.text(field);
        texts.push_back(text ? std::optional<std::string>(std::string(text->data(), size_t(text->size())))
                             : std::nullopt);
    }
    return texts;
}

std::optional<std::string> missing = std::nullopt;

}  // namespace

TEST(MeasurementTable, AppendRowCutsTextsAt20BytesAndKeepsEmptyTexts)
{
    struct Case {
        const char* in;
        std::string stored;
    };
    const Case cases[] = {
        {"", ""},
        {"  25.3", "  25.3"},
        {"12345678901234567890", "12345678901234567890"},
        {"123456789012345678901", "12345678901234567890"},
        {"\xB0\xB1 high bytes are kept as they are", "\xB0\xB1 high bytes are ke"},
    };
    MeasurementTable table;
    for (const Case& c : cases)
        table.appendRow(7, c.in, "v", c.in);
    ASSERT_EQ(table.rowCount(), int(std::size(cases)));
    for (int i = 0; i < table.rowCount(); ++i) {
        SCOPED_TRACE(cases[i].in);
        EXPECT_EQ(textsOf(table.row(i)), (Texts{cases[i].stored, "v", cases[i].stored}));
        EXPECT_EQ(table.row(i).no(), 7);
    }
}

TEST(MeasurementTable, EditBufferTellsMissingValuesFromEmptyTexts)
{
    MeasurementTable table;
    table.append();
    table.setFieldByName("TIME", "");
    table.setFieldByName("value", "123456789012345678901234");
    table.post();
    // A number put into a text field is stored as its text.
    table.append();
    table.setField(MeasurementTable::No, QByteArrayView(" -42"));
    table.setField(MeasurementTable::Time, int32_t(-7));
    table.post();

    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.row(0).no(), std::nullopt);
    EXPECT_EQ(textsOf(table.row(0)), (Texts{"", "12345678901234567890", missing}));
    EXPECT_EQ(table.row(1).no(), -42);
    EXPECT_EQ(textsOf(table.row(1)), (Texts{"-7", missing, missing}));
}

TEST(MeasurementTable, PendingRowIsKeptWhenAFieldWasSetAndDroppedOtherwise)
{
    MeasurementTable table;
    table.append();
    table.setFieldByName("Unit", "?");
    table.append();  // completes the row above, starts an untouched one
    table.appendRow(5, "t", "v", "u");  // drops the untouched one
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(textsOf(table.row(0)), (Texts{missing, missing, "?"}));
    EXPECT_EQ(table.row(1).no(), 5);

    // Navigation and finishEditing leave editing the same way; post() stores even an empty row.
    table.append();
    table.setField(MeasurementTable::No, 9);
    table.first();
    EXPECT_EQ(table.rowCount(), 3);
    table.append();
    table.finishEditing();
    EXPECT_EQ(table.rowCount(), 3);
    table.append();
    table.post();
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.row(3).no(), std::nullopt);
    EXPECT_EQ(textsOf(table.row(3)), (Texts{missing, missing, missing}));

    // Emptying drops a pending row even when it was filled.
    table.append();
    table.setField(MeasurementTable::Value, "x");
    table.empty();
    table.finishEditing();
    EXPECT_EQ(table.rowCount(), 0);
}

TEST(MeasurementTable, SettingAFieldFailsWithATextForTheUser)
{
    MeasurementTable table;
    EXPECT_THROW(table.setField(MeasurementTable::Value, "x"), ProgramError);  // not appending
    table.append();
    table.setField(MeasurementTable::Time, "kept");
    try {
        table.setField(MeasurementTable::No, QByteArrayView(""));
        FAIL() << "an empty No must not convert";
    } catch (const ProgramError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_THROW(table.setField(MeasurementTable::No, QByteArrayView("12.5")), ProgramError);
    EXPECT_THROW(table.setField(4, "fifth piece"), ProgramError);
    EXPECT_THROW(table.setField(-1, "x"), ProgramError);
    try {
        table.setFieldByName("Temperature", "x");
        FAIL();
    } catch (const ProgramError& e) {
        EXPECT_STREQ(e.what(), "Field 'Temperature' not found");
    }
    // The row keeps what was set before the failures and is completed by the next append.
    table.append();
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(textsOf(table.row(0)), (Texts{"kept", missing, missing}));
}

TEST(MeasurementTable, RowsReadBackByIndexAcrossStorageBoundaries)
{
    // Enough rows to fill several row chunks and text pages, with every text length and
    // missing values mixed in, so a row whose texts start a new page is among them.
    constexpr int kRows = 20000;
    auto textFor = [](int i, int field) -> std::optional<std::string> {
        if ((i + field) % 13 == 0)
            return std::nullopt;
        return std::string(size_t((i * 7 + field * 3) % 21), char('a' + (i + field) % 26));
    };
    MeasurementTable table;
    for (int i = 0; i < kRows; ++i) {
        table.append();
        if (i % 11 != 0)
            table.setField(MeasurementTable::No, int32_t(i - 5000));
        for (int field = 1; field < 4; ++field) {
            if (const auto text = textFor(i, field))
                table.setField(field, QByteArrayView(*text));
        }
        table.post();
    }
    ASSERT_EQ(table.rowCount(), kRows);
    for (int i = 0; i < kRows; ++i) {
        const MeasurementRow row = table.row(i);
        ASSERT_EQ(row.no(), i % 11 != 0 ? std::optional<int32_t>(i - 5000) : std::nullopt) << i;
        ASSERT_EQ(textsOf(row), (Texts{textFor(i, 1), textFor(i, 2), textFor(i, 3)})) << i;
    }
    EXPECT_GT(table.memoryUsage(), kRows * 16);
    table.empty();
    EXPECT_LT(table.memoryUsage(), 1024);
}

TEST(MeasurementTable, TellsListenersOfAppendsEmptiesAndTheCurrentRow)
{
    MeasurementTable table;
    std::vector<std::string> events;
    QObject::connect(&table, &MeasurementTable::rowsAppended, [&](int first, int last) {
        events.push_back("appended " + std::to_string(first) + "-" + std::to_string(last) + " of " +
                         std::to_string(table.rowCount()));
    });
    QObject::connect(&table, &MeasurementTable::emptied,
                     [&] { events.push_back("emptied, " + std::to_string(table.rowCount()) + " rows"); });
    QObject::connect(&table, &MeasurementTable::currentRowChanged,
                     [&](int row) { events.push_back("current " + std::to_string(row)); });

    table.appendRow(1, "a", "b", "c");
    table.append();  // nothing set: no event
    table.setField(MeasurementTable::Value, "x");
    table.post();
    const quint64 generation = table.generation();
    table.empty();
    table.appendRow(1, "a", "b", "c");

    EXPECT_EQ(events, (std::vector<std::string>{"appended 0-0 of 1", "current 0", "appended 1-1 of 2", "current 1",
                                                "emptied, 0 rows", "current -1", "appended 0-0 of 1", "current 0"}));
    EXPECT_NE(table.generation(), generation);
    // The change log restarts with the table.
    EXPECT_EQ(table.changeLogCount(), 1);
}

TEST(MeasurementTable, NavigatesFromFirstToLastRow)
{
    MeasurementTable table;
    table.first();
    EXPECT_EQ(table.currentRow(), -1);
    EXPECT_TRUE(table.atEnd());
    for (int i = 0; i < 3; ++i)
        table.appendRow(i, "", "", "");
    EXPECT_EQ(table.currentRow(), 2);  // an appended row becomes current

    table.first();
    std::vector<int> visited;
    while (!table.atEnd()) {
        visited.push_back(*table.row(table.currentRow()).no());
        table.next();
    }
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(table.currentRow(), 2);
    table.first();
    table.last();
    EXPECT_EQ(table.currentRow(), 2);
    EXPECT_FALSE(table.atEnd());
}

TEST(MeasurementTable, FieldNamesMatchWithoutRegardToCase)
{
    EXPECT_EQ(MeasurementTable::fieldIndex("no"), MeasurementTable::No);
    EXPECT_EQ(MeasurementTable::fieldIndex("TIME"), MeasurementTable::Time);
    EXPECT_EQ(MeasurementTable::fieldIndex("vAlUe"), MeasurementTable::Value);
    EXPECT_EQ(MeasurementTable::fieldIndex("Unit"), MeasurementTable::Unit);
    EXPECT_EQ(MeasurementTable::fieldIndex("Units"), -1);
    EXPECT_EQ(MeasurementTable::fieldIndex(""), -1);
}

// A loader stops before the table's memory passes a ceiling by asking first what a block of rows
// could add; what those rows really add must never be more.
TEST(MeasurementTable, GrowthBoundCoversWhatTheRowsAdd)
{
    const struct {
        int rowsBefore;
        int rows;
        int textBytesPerRow;
    } cases[] = {
        {0, 1, 0}, {0, 1, 60}, {4095, 1, 0}, {4095, 2, 60}, {100, 100'000, 0}, {7, 100'000, 1}, {3, 50'000, 60},
    };
    const QByteArray text(20, 't');
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rowsBefore) + " + " + std::to_string(c.rows) + " rows of " +
                     std::to_string(c.textBytesPerRow));
        MeasurementTable table;
        for (int i = 0; i < c.rowsBefore; ++i)
            table.appendRow(i, text, text, text);
        const qsizetype before = table.memoryUsage();
        const qsizetype bound = table.growthBound(c.rows, qsizetype(c.rows) * c.textBytesPerRow);
        const QByteArrayView piece = QByteArrayView(text).first(c.textBytesPerRow / 3);
        for (int i = 0; i < c.rows; ++i)
            table.appendRow(i, piece, piece, QByteArrayView(text).first(c.textBytesPerRow - 2 * piece.size()));
        EXPECT_LE(table.memoryUsage() - before, bound);
    }
}

// What a failed load appended is removed again: the rows before stay with their texts, across
// chunk and page boundaries, the memory goes back, and appending carries on from there.
TEST(MeasurementTable, RemovingTheNewestRowsLeavesTheTableAsItWas)
{
    for (const int kept : {0, 1, 4095, 4096, 5000}) {
        SCOPED_TRACE(kept);
        MeasurementTable table;
        for (int i = 0; i < kept; ++i)
            table.appendRow(i, QByteArray::number(i), "v", std::nullopt);
        const qsizetype memoryBefore = table.memoryUsage();
        for (int i = 0; i < 20'000; ++i)
            table.appendRow(-i, "loaded row text 20by", "loaded", "loaded");
        const quint64 generation = table.generation();
        std::vector<std::pair<int, int>> removed;
        QObject::connect(&table, &MeasurementTable::rowsRemoved,
                         [&removed](int first, int last) { removed.emplace_back(first, last); });

        table.removeRowsFrom(kept);
        EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{kept, kept + 20'000 - 1}}));
        EXPECT_EQ(table.rowCount(), kept);
        EXPECT_EQ(table.changeLogCount(), kept);
        EXPECT_EQ(table.currentRow(), kept - 1);
        EXPECT_NE(table.generation(), generation);
        // Only the lists of chunks and pages may keep their larger capacity.
        EXPECT_LE(table.memoryUsage(), memoryBefore + 1024);

        table.appendRow(7, "after", std::nullopt, "u");
        ASSERT_EQ(table.rowCount(), kept + 1);
        for (int i = 0; i < kept; ++i) {
            ASSERT_EQ(table.row(i).no(), i);
            ASSERT_EQ(table.row(i).time(), QByteArray::number(i));
            ASSERT_EQ(table.row(i).value(), "v");
            ASSERT_FALSE(table.row(i).unit());
        }
        EXPECT_EQ(table.row(kept).time(), "after");
        EXPECT_EQ(table.row(kept).unit(), "u");
    }
}

namespace {

struct TextRow {
    std::optional<int32_t> no;
    Texts texts;  // Time, Value, Unit
};

std::optional<QByteArrayView> viewOf(const std::optional<std::string>& text)
{
    return text ? std::optional<QByteArrayView>(QByteArrayView(text->data(), qsizetype(text->size())))
                : std::nullopt;
}

void appendTextRow(MeasurementTable& table, const TextRow& row)
{
    table.appendRow(row.no, viewOf(row.texts[0]), viewOf(row.texts[1]), viewOf(row.texts[2]));
}

// Reads a row the way a careless caller would: all three views taken from one row object before
// any of them is looked at, so texts spelt out into the row must not share a place.
TextRow readTextRow(const MeasurementTable& table, int index)
{
    const MeasurementRow row = table.row(index);
    const std::optional<QByteArrayView> views[3] = {row.time(), row.value(), row.unit()};
    TextRow read{row.no(), {}};
    for (const auto& view : views)
        read.texts.push_back(view ? std::optional<std::string>(std::string(view->data(), size_t(view->size())))
                                  : std::nullopt);
    return read;
}

std::string describe(const TextRow& row)
{
    std::string out = row.no ? std::to_string(*row.no) : "(none)";
    for (const auto& text : row.texts)
        out += text ? " [" + *text + "]" : " (none)";
    return out;
}

void expectRowsReadBack(const MeasurementTable& table, const std::vector<TextRow>& rows, int from = 0)
{
    ASSERT_EQ(table.rowCount(), from + int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const TextRow read = readTextRow(table, from + int(i));
        ASSERT_EQ(read.no, rows[i].no) << "row " << from + int(i) << ": " << describe(rows[i]);
        ASSERT_EQ(read.texts, rows[i].texts) << "row " << from + int(i) << ": " << describe(rows[i]);
    }
}

// A row as the recorder makes it: the instrument's four positions with the point before the
// last one, "----", an overload, whole numbers; the locale's time separator; the unit glyph.
TextRow programRow(int i, int32_t no)
{
    static const char* const kSeparators[] = {":", ".", " ", "\xE2\x88\xB6"};
    const std::string separator = kSeparators[(i / 5000) % 4];
    auto two = [](int v) { return std::string{char('0' + v / 10), char('0' + v % 10)}; };
    const std::string time = two((i / 3600) % 24) + separator + two((i / 60) % 60) + separator + two(i % 60);
    std::string value;
    if (i % 101 == 0) {
        value = "----";
    } else if (i % 103 == 0) {
        value = i % 2 ? " 0L " : "-0L ";
    } else {
        const int tenths = int(int64_t(i) * 7919 % 1800) - 500;
        std::string digits = (tenths < 0 ? "-" : "") + two(std::abs(tenths) % 100);
        if (std::abs(tenths) >= 100)
            digits.insert(tenths < 0 ? 1 : 0, std::to_string(std::abs(tenths) / 100));
        digits.insert(0, 4 - digits.size(), ' ');
        value = i % 107 == 0 ? digits : digits.substr(0, 3) + (i % 3 ? "." : ",") + digits.back();
    }
    return {no, {time, value, (i / 7000) % 2 ? "?" : "#"}};
}

}  // namespace

// Whatever the texts, they read back byte for byte as they were given, whether they are the
// program's usual ones or not, beside rows of the usual kind.
TEST(MeasurementTable, OddTextsReadBackExactly)
{
    const std::string twenty = "12345678901234567890";
    const std::vector<TextRow> odd = {
        // A value missing is not an empty text, in every field and in every combination.
        {1, {"", "", ""}},
        {2, {missing, missing, missing}},
        {std::nullopt, {"08:30:05", missing, "#"}},
        {4, {"", " 25.3", missing}},
        {5, {missing, "", "?"}},
        {6, {"08:30:05", " 25.3", ""}},
        // Full-width texts.
        {7, {twenty, twenty, twenty}},
        {8, {"08:30:05", twenty, "#"}},
        // Times: other separators, out of range, short, long, with blanks or more than digits.
        {9, {"08.30.05", "-12.3", "?"}},
        {10, {"25:61:99", " 25.3", "#"}},
        {11, {"99 : 99 : 99", "1855", "#"}},
        {12, {"08\xE2\x88\xB6" "30\xE2\x88\xB6" "05", "0123", "#"}},
        {13, {"8:30:05", " 25.3", "#"}},
        {14, {"08:30", " 25.3", "#"}},
        {15, {"08:30:05 PM", " 25.3", "#"}},
        {16, {" 08:30:05", " 25.3", "#"}},
        {17, {"08:30:05 ", " 25.3", "#"}},
        {18, {"08:30.05", " 25.3", "#"}},
        {19, {"083005", " 25.3", "#"}},
        {20, {"08:3a:05", " 25.3", "#"}},
        {21, {"0a:30:05", " 25.3", "#"}},
        {22, {"2024-05-01 13:14:16", " 25.3", "#"}},
        {23, {"13:14:16.250", " 25.3", "#"}},
        // Values: the instrument's texts, then what files from elsewhere may hold.
        {24, {"08:30:05", "----", "#"}},
        {25, {"08:30:05", " 0L ", "#"}},
        {26, {"08:30:05", "-0.0", "#"}},
        {27, {"08:30:05", "1e5", "#"}},
        {28, {"08:30:05", " 25.30", "#"}},
        {29, {"08:30:05", "+1", "#"}},
        {30, {"08:30:05", "25,3", "#"}},
        {31, {"08:30:05", "25.3", "#"}},
        {32, {"08:30:05", "  25.3", "#"}},
        {33, {"08:30:05", " 25.3 ", "#"}},
        {34, {"08:30:05", "     ", "#"}},
        {35, {"08:30:05", ".5", "#"}},
        {36, {"08:30:05", "5.", "#"}},
        {37, {"08:30:05", "-", "#"}},
        {38, {"08:30:05", "12345", "#"}},
        {39, {"08:30:05", "1..5", "#"}},
        {40, {"08:30:05", "\xB0" "23.5", "#"}},
        {41, {"08:30:05", "25\xC2\xB7" "3", "#"}},
        {42, {"08:30:05", "2.5.3", "#"}},
        {43, {"08:30:05", "@@@@", "#"}},
        // Units: the glyphs, other single bytes, longer ones.
        {44, {"08:30:05", " 25.3", "C"}},
        {45, {"08:30:05", " 25.3", "\xB0"}},
        {46, {"08:30:05", " 25.3", std::string(1, '\0')}},
        {47, {"08:30:05", " 25.3", "\xC2\xB0" "C"}},
        {48, {"08:30:05", " 25.3", "# "}},
        {49, {"08:30:05", " 25.3", " #"}},
        {50, {"08:30:05", " 25.3", "degrees C"}},
        // Numbers that do not count up with the rows, to the ends of their range.
        {INT32_MAX, {"08:30:05", " 25.3", "#"}},
        {INT32_MIN, {"08:30:05", " 25.3", "#"}},
        {0, {"08:30:05", " 25.3", "#"}},
        {-1, {"not a time", " 25.3", "#"}},
        {INT32_MAX, {"not a time", " 25.3", "#"}},
        {-2048, {"not a time", " 25.3", "#"}},
    };
    // Each odd row among the program's usual rows, and a run of them starting a chunk.
    MeasurementTable table;
    std::vector<TextRow> expected;
    for (size_t i = 0; i < odd.size(); ++i) {
        expected.push_back(odd[i]);
        expected.push_back(programRow(int(i), int32_t(1000 + i)));
    }
    while (expected.size() < 4096)
        expected.push_back(programRow(int(expected.size()), int32_t(expected.size())));
    expected.insert(expected.end(), odd.begin(), odd.end());
    for (const TextRow& row : expected)
        appendTextRow(table, row);
    expectRowsReadBack(table, expected);
}

// A row's No is kept beside the count of rows where it can be; the numbers on either side of
// what fits there come back as they were, for the program's rows and for others.
TEST(MeasurementTable, NumbersFarFromTheRowCountReadBackExactly)
{
    std::vector<TextRow> rows;
    for (const bool usual : {true, false}) {
        const Texts texts = usual ? Texts{"08:30:05", " 25.3", "#"} : Texts{"8:30", "25.31", "\xC2\xB0" "C"};
        // A chunk's first row sets where its numbers are counted from.
        while (rows.size() % 4096 != 0)
            rows.push_back({std::nullopt, texts});
        const int32_t first = usual ? 0 : 1000;
        const int32_t offsets[] = {0,           (1 << 20) - 1, 1 << 20,    -(1 << 20), -(1 << 20) - 1,
                                   (1 << 21) - 1, 1 << 21,     -(1 << 21), -(1 << 21) - 1, 2047,
                                   2048,        -2047,         -2048,      -2049,      INT32_MAX,
                                   INT32_MIN,   0,             1,          -1};
        for (const int32_t offset : offsets) {
            const int slot = int(rows.size() % 4096);
            rows.push_back({int32_t(int64_t(first) + slot + offset), texts});
        }
        rows.push_back({std::nullopt, texts});
        rows.push_back({int32_t(first + int(rows.size() % 4096)), texts});
    }
    MeasurementTable table;
    for (const TextRow& row : rows)
        appendTextRow(table, row);
    expectRowsReadBack(table, rows);
}

// A table fills up with as many kinds of rows as a file from elsewhere may bring: the later
// kinds read back as exactly as the first, and the program's rows after them too.
TEST(MeasurementTable, ManyKindsOfRowsReadBackExactly)
{
    std::vector<TextRow> rows;
    for (int i = 0; i < 100; ++i) {
        const std::string unit = "u" + std::to_string(i);
        const std::string separator(1, char('a' + i % 26));
        rows.push_back({i, {"08:30:05", " 25.3", unit}});
        rows.push_back({i, {"08" + separator + "30" + separator + "05",
                            std::to_string(i % 10) + std::string(i % 4 + 1, '!') + "5", missing}});
    }
    for (int i = 0; i < 300; ++i)
        rows.push_back(programRow(i * 37, i));
    MeasurementTable table;
    for (const TextRow& row : rows)
        appendTextRow(table, row);
    expectRowsReadBack(table, rows);
}

// The program's rows over a long recording, the locale's separators and the unit changing
// along the way, numbers skipping what the Repeat filter dropped, now and then a row from
// elsewhere: all of it reads back, through the edit buffer as through appendRow.
TEST(MeasurementTable, ProgramRowsAtScaleReadBackIdentical)
{
    constexpr int kRows = 300'000;
    std::vector<TextRow> rows;
    rows.reserve(kRows);
    int32_t no = 1;
    for (int i = 0; i < kRows; ++i) {
        rows.push_back(programRow(i, no));
        if (i % 1000 == 999)
            rows.back().texts[1] = "foreign " + std::to_string(i);
        no += 1 + (i % 17 == 0 ? i % 300 : 0);
    }
    MeasurementTable table;
    for (int i = 0; i < kRows; ++i) {
        if (i % 5 != 0) {
            appendTextRow(table, rows[size_t(i)]);
            continue;
        }
        table.append();
        table.setField(MeasurementTable::No, *rows[size_t(i)].no);
        for (int field = 0; field < 3; ++field)
            table.setField(MeasurementTable::Time + field, QByteArrayView(*rows[size_t(i)].texts[size_t(field)]));
        table.post();
    }
    expectRowsReadBack(table, rows);
}

// A failed load is taken back from a table where the program's rows and rows kept as written
// mix: the rows that stay keep their texts, what the load brought goes, and rows appended
// afterwards land where the removed ones were without touching the others.
TEST(MeasurementTable, RemovingRowsAmongTheProgramsOwnKeepsTheRest)
{
    auto foreign = [](int i) { return TextRow{i, {"t" + std::to_string(i), "v" + std::to_string(i), "unit"}}; };
    const struct {
        const char* what;
        int kept;
        std::vector<int> foreignRows;  // which kept rows are from elsewhere
    } cases[] = {
        {"the last kept row is the program's, one from elsewhere before it in its chunk", 5000, {4200, 4999 - 1}},
        {"no row from elsewhere in the last kept chunk, some in an earlier one", 5000, {10, 4000}},
        {"the last kept row is from elsewhere", 4097, {4096}},
        {"only the program's rows", 6000, {}},
        {"the cut at a chunk's end", 4096, {100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<TextRow> rows;
        for (int i = 0; i < c.kept; ++i)
            rows.push_back(programRow(i, i + 1));
        for (const int i : c.foreignRows)
            rows[size_t(i)] = foreign(i);
        MeasurementTable table;
        for (const TextRow& row : rows)
            appendTextRow(table, row);
        const qsizetype memoryBefore = table.memoryUsage();
        // The load brings rows from elsewhere and rows of kinds the table had not seen.
        for (int i = 0; i < 30'000; ++i)
            appendTextRow(table, i % 3 ? foreign(i) : TextRow{i, {"08-30-05", "12;5", "K"}});
        table.removeRowsFrom(c.kept);
        EXPECT_LE(table.memoryUsage(), memoryBefore + 1024);

        for (int i = 0; i < 10'000; ++i)
            rows.push_back(i % 2 ? foreign(i + 50'000) : TextRow{i, {"08-30-05", "12;5", "F"}});
        for (size_t i = size_t(c.kept); i < rows.size(); ++i)
            appendTextRow(table, rows[i]);
        expectRowsReadBack(table, rows);
    }
}
