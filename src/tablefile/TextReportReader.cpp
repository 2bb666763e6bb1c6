#include "tablefile/TextReportReader.h"

#include "base/IntegerText.h"
#include "record/MeasurementTable.h"
#include "tablefile/ImportBlocks.h"
#include "tablefile/SplitText.h"

#include <algorithm>
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

// Sign, zero and twelve characters of the number, three texts and four TABs, with room to spare.
constexpr qint64 kLongestCondensedLine = 128;

// The number piece of an unfinished line, cut down to what decides it: the integer rule skips
// leading blanks and reads the digits after the sign, where one leading zero says as much as
// many, and more than a dozen characters after that are never a 32-bit number, whatever
// follows. Writes at out, which may be where the piece starts; returns the end.
char* condenseNumber(QByteArrayView piece, char* out)
{
    constexpr qsizetype kDecidingCharacters = 12;
    const char* p = piece.data();
    const char* const end = p + piece.size();
    while (p != end && *p == ' ')
        ++p;
    if (p != end && (*p == '-' || *p == '+'))
        *out++ = *p++;
    const char* const zeros = p;
    while (p != end && *p == '0')
        ++p;
    if (p != zeros)
        *out++ = '0';
    const qsizetype rest = std::min(qsizetype(end - p), kDecidingCharacters);
    std::memmove(out, p, size_t(rest));
    return out + rest;
}

// An unfinished data line that fills the whole buffer, cut down in place to what its row can
// hold: the number piece as condenseNumber leaves it, the first 20 bytes of each text, and an
// empty fifth piece if there is one, which fails the line whatever follows. The rest of the
// piece that was cut comes in behind it and is cut again when the buffer next fills, so a line
// of any length takes no more memory than a row. Returns the new length, at most
// kLongestCondensedLine.
qsizetype condenseLine(char* line, qsizetype length)
{
    char* out = line;
    const char* p = line;
    const char* const end = line + length;
    for (int piece = 0;; ++piece) {
        const void* tab = std::memchr(p, '\t', size_t(end - p));
        const char* const pieceEnd = tab ? static_cast<const char*>(tab) : end;
        if (piece == MeasurementTable::No) {
            out = condenseNumber(QByteArrayView(p, pieceEnd - p), out);
        } else if (piece < MeasurementTable::kFieldCount) {
            const qsizetype kept = std::min(qsizetype(pieceEnd - p), MeasurementTable::kTextFieldSize);
            std::memmove(out, p, size_t(kept));
            out += kept;
        }
        if (!tab)
            return out - line;
        if (piece < MeasurementTable::kFieldCount)
            *out++ = '\t';
        p = pieceEnd + 1;
    }
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
// dropped as it goes and a data line condensed, so the buffer never grows, whatever the lines.
class TextReportLines {
public:
    TextReportLines(QIODevice& in, MeasurementTable& table, const ImportProgress& progress, qint64 memoryCeiling,
                    TextReportPlace& place)
        : m_in(in),
          m_table(table),
          m_place(place),
          m_memoryCeiling(memoryCeiling),
          m_bytes(in, progress),
          m_buffer(size_t(std::max<qint64>(importBlockSize(in), 2 * kLongestCondensedLine)))
    {
    }

    ImportOutcome read()
    {
        for (;;) {
            const bool cancelled = !fill();
            // A row takes at least two bytes of the file: a digit and the line's end.
            const qint64 bytes = m_end - m_begin;
            checkTableRoom(m_table, bytes / 2 + 1, bytes, m_memoryCeiling);
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
            kept = m_place.line <= kHeadLines ? 0  // a head line's content is never needed
                                              : condenseLine(m_buffer.data(), kept);
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
        if (m_place.line > kHeadLines) {
            if (!appendLine(line, m_table, m_pieces))
                return false;
            ++m_place.rowsAdded;
        }
        ++m_place.line;
        return true;
    }

    QIODevice& m_in;
    MeasurementTable& m_table;
    TextReportPlace& m_place;
    qint64 m_memoryCeiling;
    ImportByteCount m_bytes;
    std::vector<char> m_buffer;
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    bool m_atEnd = false;
    bool m_skipLineFeed = false;
    std::vector<QByteArrayView> m_pieces;
};

}  // namespace

ImportOutcome readTextReport(QIODevice& in, MeasurementTable& table, const ImportProgress& progress,
                             qint64 memoryCeiling, TextReportPlace& place)
{
    return TextReportLines(in, table, progress, memoryCeiling, place).read();
}
