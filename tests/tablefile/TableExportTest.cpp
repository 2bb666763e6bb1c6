#include "AnsweredMessages.h"
#include "app/TqApplication.h"
#include "tablefile/TableExport.h"
#include "tablefile/TableFileFormat.h"

#include "base/IntegerText.h"
#include "dialogs/NewMsgDlg.h"
#include "record/MeasurementTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// Leading and trailing blanks and control characters, a blank-only and an empty text, every
// character the packet escapes, bytes above 0x7F and missing values.
void fillSample(MeasurementTable& table)
{
    table.appendRow(1, "10:15:02", " 23.5", "#");
    table.appendRow(-12, "\t 10:15:03\r\n", "   ", "");
    table.append();
    table.setFieldByName("value", "a<b>&'\"\\ c");
    table.setFieldByName("UNIT", "\xB0\xFF");
    table.post();
    table.append();
    table.setFieldByName("No", QByteArrayView("2147483647"));
    table.setFieldByName("Time", "x y");
    table.setFieldByName("Unit", " ?\x7F");
    table.post();
}

const QByteArray kSampleReport = "Report created on: 05.03.24\r\n"
                                 "\r\n"
                                 "No\tTime\tValue\tUnit\r\n"
                                 "1\t10:15:02\t23.5\t#\r\n"
                                 "-12\t10:15:03\tNULL\tNULL\r\n"
                                 "\tNULL\ta<b>&'\"\\ c\t\xB0\xFF\r\n"
                                 "2147483647\tx y\tNULL\t?\r\n";

const QByteArray kEmptyReport = "Report created on: 05.03.24\r\n\r\nNo\tTime\tValue\tUnit\r\n";

const QByteArray kPacketHead = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                               "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                               "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
                               "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
                               "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>";

const QByteArray kSamplePacket =
    kPacketHead +
    "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4 3 0 4 4 0 4\"/></METADATA><ROWDATA>"
    "<ROW RowState=\"4\" No=\"1\" Time=\"10:15:02\" Value=\" 23.5\" Unit=\"#\"/>"
    "<ROW RowState=\"4\" No=\"-12\" Time=\"&#009; 10:15:03&#013;&#010;\" Value=\"   \" Unit=\"\"/>"
    "<ROW RowState=\"4\" Value=\"a&lt;b&gt;&amp;&apos;&quot;&#092; c\" Unit=\"\xB0\xFF\"/>"
    "<ROW RowState=\"4\" No=\"2147483647\" Time=\"x y\" Unit=\" ?\x7F\"/>"
    "</ROWDATA></DATAPACKET>";

const QByteArray kEmptyPacket = kPacketHead + "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>";

struct Message {
    QString text;
    MessageKind kind;
    MessageButtons buttons;
    bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os)
{
    *os << m.text.toStdString() << " (kind " << int(m.kind) << ", buttons " << m.buttons << ")";
}

class TableExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_dialogs.answerMessage = [this](const AnsweredMessages::Message& message) {
            m_messages.push_back({message.text, message.kind, message.buttons});
            return 1;
        };
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void save(const QString& fileName, ExportProgress progress = {})
    {
        TableExportSettings settings;
        settings.date = QDate(2024, 3, 5);
        settings.locale = QLocale(QLocale::German, QLocale::Germany);
        settings.progress = std::move(progress);
        SaveTableToFile(m_table, fileName, m_dialogs, settings);
    }

    static QByteArray contents(const QString& fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static Message saved(const QString& fileName)
    {
        return {"Save table to specified file: " + fileName + " Scuss!", MessageKind::Information, MessageButton::OK};
    }

    QTemporaryDir m_dir;
    MeasurementTable m_table;
    AnsweredMessages m_dialogs;
    std::vector<Message> m_messages;
};

TEST_F(TableExport, WritesTheTextReport)
{
    save(path("empty.xls"));
    fillSample(m_table);
    m_table.first();
    save(path("sample.txt"));

    EXPECT_EQ(contents(path("empty.xls")), kEmptyReport);
    EXPECT_EQ(contents(path("sample.txt")), kSampleReport);
    EXPECT_EQ(m_messages, (std::vector<Message>{saved(path("empty.xls")), saved(path("sample.txt"))}));
    EXPECT_EQ(m_table.currentRow(), 3);  // the grid shows the last row after a text export
}

TEST_F(TableExport, WritesTheDataPacket)
{
    save(path("empty.xml"));
    fillSample(m_table);
    m_table.first();
    save(path("sample.xml"));

    EXPECT_EQ(contents(path("empty.xml")), kEmptyPacket);
    EXPECT_EQ(contents(path("sample.xml")), kSamplePacket);
    EXPECT_EQ(m_messages, (std::vector<Message>{saved(path("empty.xml")), saved(path("sample.xml"))}));
    EXPECT_EQ(m_table.currentRow(), 0);  // a packet export leaves the current row alone
}

TEST_F(TableExport, ExtensionPicksTheFormatWithoutRegardToCase)
{
    const std::pair<const char*, TableFileFormat> cases[] = {
        {"/data/run.xml", TableFileFormat::DataPacket},
        {"/data/RUN.XML", TableFileFormat::DataPacket},
        {"run.Xml", TableFileFormat::DataPacket},
        {"/data/.xml", TableFileFormat::DataPacket},
        {"/data/run.xls", TableFileFormat::TextReport},
        {"/data/run.txt", TableFileFormat::TextReport},
        {"/data/run.csv", TableFileFormat::TextReport},
        {"/data/run", TableFileFormat::TextReport},
        {"/data.xml/run", TableFileFormat::TextReport},
        {"/data/run.xml.bak", TableFileFormat::TextReport},
        {"/data/run.xmls", TableFileFormat::TextReport},
    };
    for (const auto& [name, format] : cases)
        EXPECT_EQ(tableFileFormat(QString::fromUtf8(name)), format) << name;

    fillSample(m_table);
    save(path("upper.XML"));
    EXPECT_EQ(contents(path("upper.XML")), kSamplePacket);
}

TEST_F(TableExport, ChangeLogStartsAgainAfterTheTableIsEmptied)
{
    fillSample(m_table);
    m_table.empty();
    m_table.appendRow(7, "a", "b", "c");
    m_table.append();  // a row still being appended is completed by the save
    m_table.setFieldByName("No", 8);
    save(path("again.xml"));
    EXPECT_EQ(contents(path("again.xml")),
              kPacketHead + "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4\"/></METADATA><ROWDATA>"
                            "<ROW RowState=\"4\" No=\"7\" Time=\"a\" Value=\"b\" Unit=\"c\"/>"
                            "<ROW RowState=\"4\" No=\"8\"/></ROWDATA></DATAPACKET>");
}

// A save that fails halfway must leave the earlier file as it was and no temporary file behind.
// The failure is real: a file size limit makes the write fail after the first 64 KiB, and the
// output spans several buffers, so the failure is noticed while later rows are formatted.
TEST_F(TableExport, FailedWriteKeepsThePreviousFile)
{
    for (int i = 0; i < 100000; ++i)
        m_table.appendRow(i, "12:00:00", " 25.3", "#");
    const QByteArray old = "the previous file\r\n";
    for (const QString name : {"kept.xls", "kept.xml"}) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64 * 1024, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    save(path("kept.xls"));
    std::string packetError;
    try {
        save(path("kept.xml"));
    } catch (const ProgramError& e) {
        packetError = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(contents(path("kept.xls")), old);
    EXPECT_EQ(contents(path("kept.xml")), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kept.xls", "kept.xml"}));
    EXPECT_EQ(m_messages, (std::vector<Message>{{"Could not save table to specified file: " + path("kept.xls"),
                                                 MessageKind::Warning, MessageButton::OK}}));
    EXPECT_EQ(packetError, ("Cannot write file \"" + path("kept.xml") + "\". File too large").toStdString());
}

// Run in a child process: without the program's start-up, going over the file-size limit
// ends the process with SIGXFSZ and the table is lost.
TEST_F(TableExport, SaveOverTheFileSizeLimitFailsWithItsMessageAndTheProgramGoesOn)
{
    for (int i = 0; i < 2000; ++i)
        m_table.appendRow(i, "12:00:00", " 25.3", "#");
    const auto saveUnderALimit = [this] {
        int argc = 1;
        char name[] = "test";
        char* argv[] = {name, nullptr};
        TqApplication app(argc, argv, m_dialogs);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{8 * 1024, limit.rlim_max};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0)
            std::exit(2);
        save(path("limited.txt"));
        bool packetFailed = false;
        try {
            save(path("limited.xml"));
        } catch (const ProgramError&) {
            packetFailed = true;
        }
        const bool reported = m_messages.size() == 1 &&
                              m_messages[0].text == "Could not save table to specified file: " + path("limited.txt");
        std::exit(reported && packetFailed && m_table.rowCount() == 2000 ? 0 : 1);
    };
    EXPECT_EXIT(saveUnderALimit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(TableExport, FileThatCannotBeCreated)
{
    fillSample(m_table);
    const QString report = path("missing/report.xls");
    const QString packet = path("missing/packet.xml");
    save(report);
    try {
        save(packet);
        FAIL() << "a packet that cannot be written must reach the error report";
    } catch (const ProgramError& e) {
        EXPECT_EQ(std::string(e.what()),
                  ("Cannot create file \"" + packet + "\". No such file or directory").toStdString());
    }
    EXPECT_EQ(m_messages, (std::vector<Message>{{"Could not save table to specified file: " + report,
                                                 MessageKind::Warning, MessageButton::OK}}));
}

TEST_F(TableExport, WritesTheRowsCountedAtTheStartWhileProgressLetsRowsArrive)
{
    constexpr int kRows = 2 * kExportProgressInterval + 100;
    for (int i = 0; i < kRows; ++i)
        m_table.appendRow(i, "12:00:00", " 25.3", "#");
    std::vector<std::pair<int, int>> calls;
    save(path("growing.txt"), [&](int written, int total) {
        calls.emplace_back(written, total);
        m_table.appendRow(-1, "late", "late", "late");
    });

    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{kExportProgressInterval, kRows},
                                                       {2 * kExportProgressInterval, kRows},
                                                       {kRows, kRows}}));
    const QByteArray report = contents(path("growing.txt"));
    EXPECT_EQ(report.count("\r\n"), 3 + kRows);
    EXPECT_TRUE(report.endsWith(QByteArray::number(kRows - 1) + "\t12:00:00\t25.3\t#\r\n"));
    EXPECT_EQ(m_table.rowCount(), kRows + 3);

    // Should the table be emptied meanwhile, the save fails instead of reading rows that are gone.
    m_messages.clear();
    save(path("emptied.txt"), [&](int, int) { m_table.empty(); });
    EXPECT_FALSE(QFile::exists(path("emptied.txt")));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].kind, MessageKind::Warning);
}

}  // namespace
