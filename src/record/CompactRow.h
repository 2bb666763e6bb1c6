#pragma once

#include <QByteArrayView>
#include <QSysInfo>

#include <cstdint>
#include <cstring>
#include <memory>

// How the measurement table keeps a row in one 64-bit word.
//
// Nearly every row is the program's own: a No counting up, a time "hh:mm:ss" with the locale's
// separator, the instrument's four positions with the locale's decimal point (" 25.3", "----"),
// a one-byte unit glyph. What such rows share (which fields hold a value, the separators, the
// unit) is a shape, kept once for the table; what varies fits in the word beside the shape's
// number. A row that does not fit a shape keeps its texts as written in a text page, and the
// word says where. Either way every text reads back byte for byte as it was given.
//
// A compact row, bit 0 set:
//   bits  1-5   the shape
//   bits  6-26  the time's hours, minutes and seconds, 0..99 each in seven bits
//   bits 27-42  the value's symbols (kValueSymbols), four bits each, the first lowest
//   bits 43-63  No minus the chunk's base and the row's slot in the chunk, signed
// A row kept as written, bit 0 clear:
//   bits  1-4   which fields hold a value, bit n for field n (No, Time, Value, Unit)
//   bits  5-19  the lengths of Time, Value and Unit, five bits each
//   bits 20-51  where its texts are, counted from where its chunk's texts start
//   bits 52-63  No as above, signed, or kNoInPage: then the No's four bytes come before the texts
namespace measurement_storage {

constexpr int kShapeCount = 32;
constexpr int kCompactTimeShift = 6;
constexpr int kCompactValueShift = 27;
constexpr int kCompactNoShift = 43;
constexpr int64_t kCompactNoLimit = int64_t(1) << 20;  // |No delta| below this fits a compact row
constexpr int kWrittenNoShift = 52;
constexpr int64_t kNoInPage = -2048;  // the lowest 12-bit number; the others fit in place

// The characters of the instrument's four positions after decoding: digits, blank, minus, the
// "L" of an overload, and what the other segment codes read as.
inline constexpr char kValueSymbols[17] = "0123456789 -L@CE";

static_assert(QSysInfo::ByteOrder == QSysInfo::LittleEndian, "texts are put together in registers, first byte lowest");

// "00" to "99", each as the two bytes it puts into a text, and whatever seven bits may hold.
inline constexpr struct DigitPairs {
    uint16_t pair[128];
    constexpr DigitPairs() : pair()
    {
        for (int i = 0; i < 128; ++i)
            pair[i] = uint16_t('0' + i / 10) | uint16_t('0' + i % 10) << 8;
    }
} kDigitPairs;

// What a compact row's texts share with others of its shape. Rows keep its index, so a shape
// never changes or moves once made.
struct RowShape {
    uint64_t key[3];  // what a new row is matched against, made by RowShapes::encode
    uint8_t present;  // bit n: field n holds a value
    uint8_t timeLength;
    uint8_t timeSeparatorLength;
    uint8_t valueLength;
    uint8_t unitLength;
    uint8_t symbolShift[4];  // where each symbol goes into valueText; one past the text if unused
    int32_t firstRow;        // the row that made it, for taking it back with the rows after it
    char unitText[8];
    // The texts with the separators in place and zeros where the digits and symbols go. A text
    // is put together in a register and stored at once where it can: the exporters read it back
    // straight away, and wide loads from narrow stores just made would stall.
    char time[16];
    uint64_t timeText;  // the first eight bytes of time
    uint64_t valueText;

    QByteArrayView decodeTime(uint64_t word, char* out) const
    {
        const uint32_t digits = uint32_t(word >> kCompactTimeShift);
        if (timeLength != 8)
            return decodeOtherTime(digits, out);
        // The one-byte separator nearly every locale has.
        const uint64_t text = timeText | digitPair(digits & 127) | digitPair((digits >> 7) & 127) << 24 |
                              digitPair((digits >> 14) & 127) << 48;
        std::memcpy(out, &text, sizeof text);
        return QByteArrayView(out, sizeof text);
    }
    QByteArrayView decodeOtherTime(uint32_t digits, char* out) const;

    QByteArrayView decodeValue(uint64_t word, char* out) const
    {
        const uint32_t symbols = uint32_t(word >> kCompactValueShift);
        const uint64_t text = valueText | uint64_t(uint8_t(kValueSymbols[symbols & 15])) << symbolShift[0] |
                              uint64_t(uint8_t(kValueSymbols[(symbols >> 4) & 15])) << symbolShift[1] |
                              uint64_t(uint8_t(kValueSymbols[(symbols >> 8) & 15])) << symbolShift[2] |
                              uint64_t(uint8_t(kValueSymbols[(symbols >> 12) & 15])) << symbolShift[3];
        std::memcpy(out, &text, sizeof text);
        return QByteArrayView(out, valueLength);
    }

    static uint64_t digitPair(uint32_t twoDigits) { return kDigitPairs.pair[twoDigits]; }
    static void putDigits(char* out, uint32_t twoDigits)
    {
        const uint16_t pair = kDigitPairs.pair[twoDigits];
        std::memcpy(out, &pair, 2);
    }

    QByteArrayView unit() const { return QByteArrayView(unitText, unitLength); }
};

// The shapes of a table's compact rows, made as rows need them, up to kShapeCount.
class RowShapes {
public:
    const RowShape* data() const { return m_shapes.get(); }

    // The word of a compact row for texts of at most 20 bytes given where `present` says, or
    // 0 when the row does not fit a shape. noDelta is the No less the chunk's base and the
    // row's slot, or 0 when there is no No.
    uint64_t encode(uint8_t present, int64_t noDelta, const QByteArrayView (&texts)[3], int row);

    // Drops the shapes that rows from `row` on made.
    void removeFrom(int row);
    void clear();

    qsizetype memoryUsage() const { return m_shapes ? qsizetype(sizeof(RowShape)) * kShapeCount : 0; }
    static constexpr qsizetype kMemoryUsageMax = qsizetype(sizeof(RowShape)) * kShapeCount;

private:
    int find(const uint64_t (&key)[3], int row);

    std::unique_ptr<RowShape[]> m_shapes;
    int m_count = 0;
    int m_last = 0;  // the shape found last: the next row most likely has it too
};

}  // namespace measurement_storage
