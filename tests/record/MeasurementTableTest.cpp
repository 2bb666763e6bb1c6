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
