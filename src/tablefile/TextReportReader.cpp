#include "tablefile/TextReportReader.h"

#include "base/IntegerText.h"
#include "record/MeasurementTable.h"
#include "tablefile/ImportBlocks.h"
#include "tablefile/SplitText.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr int kHeadLines = 3;

// One data line into one whole row, or nothing when the line cannot be read.
bool appendLine(QByteArrayView line, MeasurementTable& table, std::vector<QByteArrayView>& pieces)
{
    SplitText(line, '\t', pieces);
    if (pieces.size() > MeasurementTable::kFieldCount)
        return false;
    int32_t no = 0;
    if (!tryParseIntegerText(pieces[0], no))
        return false;
    std::optional<QByteArrayView> texts[3];
    for (size_t i = 1; i < pieces.size(); ++i)
        texts[i - 1] = pieces[i];
    table.appendRow(no, texts[0], texts[1], texts[2]);
    return true;
}

// Where the line starting at p ends: the first CR or LF, or end.
const char* lineEnd(const char* p, const char* end)
{
    for (; p != end; ++p) {
        // Every byte of a row but TAB is above CR, so most bytes take only this test.
        if (uchar(*p) > '\r')
            continue;
        if (*p == '\r' || *p == '\n')
            break;
    }
    return p;
}

// Reads the file in blocks and hands each line to the table as soon as it is complete. Only a
// line that runs past the end of a block is carried over into the next one; a head line is
// dropped as it goes, so even a file that is one enormous line is never held whole.
class TextReportLines {
public:
    TextReportLines(QIODevice& in, MeasurementTable& table, const ImportProgress& progress)
        : m_in(in), m_table(table), m_bytes(in, progress), m_buffer(size_t(importBlockSize(in)))
    {
    }

    ImportOutcome read()
    {
        for (;;) {
            const bool cancelled = !fill();
            {
                MeasurementTable::AppendBatch batch(m_table);
                if (!takeCompleteLines())
                    return ImportOutcome::Failed;
                if (m_atEnd) {
                    if (m_begin != m_end && !takeLine(QByteArrayView(m_begin, m_end - m_begin)))
                        return ImportOutcome::Failed;
                    return ImportOutcome::Loaded;
                }
            }
            if (cancelled)
                return ImportOutcome::Cancelled;
        }
    }

private:
    // Moves the unfinished line to the front and reads behind it; false when the user stops.
    bool fill()
    {
        qsizetype kept = m_end - m_begin;
        if (kept == qsizetype(m_buffer.size())) {
            // One line fills the whole buffer, so it already starts at the front.
            if (m_lineNumber < kHeadLines)
                kept = 0;  // a head line's content is never needed
            else
                m_buffer.resize(m_buffer.size() * 2);
        } else if (kept > 0) {
            std::memmove(m_buffer.data(), m_begin, size_t(kept));
        }
        char* const data = m_buffer.data();
        const qint64 got = readImportBlock(m_in, data + kept, qint64(m_buffer.size()) - kept);
        m_begin = data;
        m_end = data + kept + got;
        if (got == 0) {
            m_atEnd = true;
        } else if (const void* nul = std::memchr(data + kept, '\0', size_t(got))) {
            m_end = static_cast<const char*>(nul);
            m_atEnd = true;
        }
        return m_bytes.add(got);
    }

    bool takeCompleteLines()
    {
        const char* p = m_begin;
        if (m_skipLineFeed && p != m_end) {
            p += *p == '\n';
            m_skipLineFeed = false;
        }
        for (;;) {
            const char* const stop = lineEnd(p, m_end);
            if (stop == m_end)
                break;
            if (!takeLine(QByteArrayView(p, stop - p)))
                return false;
            p = stop + 1;
            if (*stop == '\r') {
                if (p == m_end) {
                    // The LF of this CR LF, if there is one, comes with the next block.
                    m_skipLineFeed = !m_atEnd;
                } else {
                    p += *p == '\n';
                }
            }
        }
        m_begin = p;
        return true;
    }

    bool takeLine(QByteArrayView line)
    {
        if (m_lineNumber < kHeadLines) {
            ++m_lineNumber;
            return true;
        }
        return appendLine(line, m_table, m_pieces);
    }

    QIODevice& m_in;
    MeasurementTable& m_table;
    ImportByteCount m_bytes;
    std::vector<char> m_buffer;
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    bool m_atEnd = false;
    bool m_skipLineFeed = false;
    int m_lineNumber = 0;
    std::vector<QByteArrayView> m_pieces;
};

}  // namespace

ImportOutcome readTextReport(QIODevice& in, MeasurementTable& table, const ImportProgress& progress)
{
    return TextReportLines(in, table, progress).read();
}
