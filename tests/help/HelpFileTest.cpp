// The user guide as the build leaves it beside the programs: the compiled help file holds every
// page, the HTML copies are there for desktops without a help viewer, and no link leads nowhere.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace {

// The names in a compiled help file's directory. The file starts with an "ITSF" header that
// says where the directory is; the directory is an "ITSP" header followed by chunks of equal
// size, of which the "PMGL" listing chunks form a chain holding one entry per file.
class ChmDirectoryReader {
public:
    explicit ChmDirectoryReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    QSet<QString> names() const
    {
        expectTag(0, "ITSF");
        const uint64_t directory = uint64At(0x48);
        expectTag(directory, "ITSP");
        const uint64_t headerLength = uint32At(directory + 0x08);
        const uint64_t chunkSize = uint32At(directory + 0x10);
        const uint64_t chunkCount = uint32At(directory + 0x2C);
        int64_t chunk = int32At(directory + 0x20);  // the first listing chunk
        QSet<QString> result;
        for (uint64_t visited = 0; chunk != -1; ++visited) {
            if (chunk < 0 || uint64_t(chunk) >= chunkCount || visited >= chunkCount)
                throw std::runtime_error("listing chunks do not form a chain");
            const uint64_t start = directory + headerLength + uint64_t(chunk) * chunkSize;
            expectTag(start, "PMGL");
            const uint64_t end = start + chunkSize - uint32At(start + 0x04);  // the quick-reference area
            readEntries(start + 0x14, end, result);
            chunk = int32At(start + 0x10);  // the next listing chunk
        }
        return result;
    }

private:
    void readEntries(uint64_t at, uint64_t end, QSet<QString>& names) const
    {
        while (at < end) {
            const uint64_t length = encodedInteger(at);
            need(at, length);
            names.insert(QString::fromUtf8(m_bytes.mid(qsizetype(at), qsizetype(length))));
            at += length;
            encodedInteger(at);  // content section
            encodedInteger(at);  // offset
            encodedInteger(at);  // length
        }
    }

    // Seven bits a byte, most significant first; a set top bit means more bytes follow.
    uint64_t encodedInteger(uint64_t& at) const
    {
        uint64_t value = 0;
        for (int i = 0; i < 10; ++i) {
            need(at, 1);
            const auto byte = uint8_t(m_bytes[qsizetype(at++)]);
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return value;
        }
        throw std::runtime_error("encoded integer too long");
    }

    void need(uint64_t at, uint64_t count) const
    {
        if (at > uint64_t(m_bytes.size()) || count > uint64_t(m_bytes.size()) - at)
            throw std::runtime_error("reads past the end of the file at " + std::to_string(at));
    }
    void expectTag(uint64_t at, const char* tag) const
    {
        need(at, 4);
        if (m_bytes.mid(qsizetype(at), 4) != tag)
            throw std::runtime_error(std::string("no ") + tag + " at " + std::to_string(at));
    }
    uint64_t littleEndian(uint64_t at, int size) const
    {
        need(at, uint64_t(size));
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | uint8_t(m_bytes[qsizetype(at) + i]);
        return value;
    }
    uint64_t uint32At(uint64_t at) const { return littleEndian(at, 4); }
    int64_t int32At(uint64_t at) const { return int32_t(uint32_t(littleEndian(at, 4))); }
    uint64_t uint64At(uint64_t at) const { return littleEndian(at, 8); }

    QByteArray m_bytes;
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList sourcePages()
{
    return QDir(QStringLiteral(TQ612_HELP_SOURCE_DIR)).entryList({QStringLiteral("*.html")}, QDir::Files);
}

const QString kProgramFolder = QFileInfo(QStringLiteral(TQ612_HELP_FILE)).absolutePath();

}  // namespace

TEST(HelpFile, CompiledHelpHoldsEveryPageOfTheGuide)
{
    const QByteArray chm = fileBytes(QStringLiteral(TQ612_HELP_FILE));
    ASSERT_FALSE(chm.isEmpty()) << "no help file at " << TQ612_HELP_FILE;
    const QSet<QString> names = ChmDirectoryReader(chm).names();

    ASSERT_GE(sourcePages().size(), 9);
    for (const QString& page : sourcePages())
        EXPECT_TRUE(names.contains(QLatin1Char('/') + page)) << page.toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("/style.css")));
    // The contents and the index that a viewer shows beside the pages.
    EXPECT_TRUE(names.contains(QStringLiteral("/contents.hhc")));
    EXPECT_TRUE(names.contains(QStringLiteral("/index.hhk")));
}

TEST(HelpFile, HtmlGuideLiesBesideTheProgramAsWritten)
{
    const QStringList files = sourcePages() << QStringLiteral("style.css");
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray source = fileBytes(QStringLiteral(TQ612_HELP_SOURCE_DIR "/") + name);
        ASSERT_FALSE(source.isEmpty());
        EXPECT_EQ(fileBytes(kProgramFolder + QStringLiteral("/help/") + name), source);
    }
}

TEST(HelpFile, EveryLinkBetweenPagesLeadsToAPage)
{
    static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""));
    const QDir folder(QStringLiteral(TQ612_HELP_SOURCE_DIR));
    for (const QString& page : sourcePages()) {
        const QString text = QString::fromUtf8(fileBytes(folder.filePath(page)));
        for (const QRegularExpressionMatch& match : link.globalMatch(text))
            EXPECT_TRUE(folder.exists(match.captured(1))) << page.toStdString() << " -> " << match.captured(1).toStdString();
    }
}
