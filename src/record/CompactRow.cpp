#include "record/CompactRow.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace measurement_storage {

namespace {

constexpr std::array<int8_t, 256> kSymbolOf = [] {
    std::array<int8_t, 256> symbolOf{};
    symbolOf.fill(-1);
    for (int i = 0; i < 16; ++i)
        symbolOf[uint8_t(kValueSymbols[i])] = int8_t(i);
    return symbolOf;
}();

int symbolOf(char c)
{
    return kSymbolOf[uint8_t(c)];
}

bool isDigit(char c)
{
    return unsigned(c - '0') < 10;
}

// A new row's shape is found by comparing three words, put together in registers:
//   key[0]  bits 0-7 which fields hold a value, 8-15 the time separator's length + 1 (0: Time
//           holds no digits), 16-23 the value's symbols (0: Value holds none), 24-31 the value
//           separator's length, 32-63 the time separator's bytes
//   key[1]  bits 0-7 the unit's length, 32-63 the value separator's bytes
//   key[2]  the unit's bytes
constexpr qsizetype kMaxSeparator = 4;
constexpr qsizetype kMaxUnit = 8;

// Up to eight bytes as a number, the first lowest.
uint64_t bytesOf(const char* p, qsizetype n)
{
    uint64_t bytes = 0;
    for (qsizetype i = 0; i < n; ++i)
        bytes |= uint64_t(uint8_t(p[i])) << (8 * i);
    return bytes;
}

// Two digits, a separator, two digits, the same separator, two digits: each pair of digits as
// a number in seven bits. The separator holds no digit, so the shape it makes is the text's own.
bool parseTime(QByteArrayView text, uint64_t (&key)[3], uint32_t& digits)
{
    const qsizetype size = text.size();
    if (size < 6 || size > 6 + 2 * kMaxSeparator || size % 2 != 0)
        return false;
    const qsizetype separator = (size - 6) / 2;
    const char* const p = text.data();
    const char* const minutes = p + 2 + separator;
    const char* const seconds = minutes + 2 + separator;
    if (!isDigit(p[0]) || !isDigit(p[1]) || !isDigit(minutes[0]) || !isDigit(minutes[1]) || !isDigit(seconds[0]) ||
        !isDigit(seconds[1]))
        return false;
    for (qsizetype i = 0; i < separator; ++i) {
        if (isDigit(p[2 + i]) || p[2 + i] != minutes[2 + i])
            return false;
    }
    digits = uint32_t((p[0] - '0') * 10 + (p[1] - '0')) | uint32_t((minutes[0] - '0') * 10 + (minutes[1] - '0')) << 7 |
             uint32_t((seconds[0] - '0') * 10 + (seconds[1] - '0')) << 14;
    key[0] |= uint64_t(1 + separator) << 8 | bytesOf(p + 2, separator) << 32;
    return true;
}

// Up to three symbols, a separator of no symbols, and a last symbol: " 25.3", "-0.0", "1855",
// "----", "25,3" and also "1e5". The symbols go four bits each into a number, the first lowest.
bool parseValue(QByteArrayView text, uint64_t (&key)[3], uint32_t& symbols)
{
    const qsizetype size = text.size();
    constexpr qsizetype kMaxLeading = 3;
    if (size < 1 || size > kMaxLeading + 1 + kMaxSeparator)
        return false;
    const char* const p = text.data();
    const int last = symbolOf(p[size - 1]);
    if (last < 0)
        return false;
    qsizetype leading = 0;
    symbols = 0;
    for (; leading < size - 1; ++leading) {
        const int symbol = symbolOf(p[leading]);
        if (symbol < 0)
            break;
        if (leading == kMaxLeading)
            return false;
        symbols |= uint32_t(symbol) << (4 * leading);
    }
    for (qsizetype i = leading + 1; i < size - 1; ++i) {
        if (symbolOf(p[i]) >= 0)
            return false;
    }
    const qsizetype separator = size - 1 - leading;
    if (separator > kMaxSeparator)
        return false;
    symbols |= uint32_t(last) << (4 * leading);
    key[0] |= uint64_t(leading + 1) << 16 | uint64_t(separator) << 24;
    key[1] |= bytesOf(p + leading, separator) << 32;
    return true;
}

RowShape makeShape(const uint64_t (&key)[3], int row)
{
    RowShape shape{};
    std::copy(std::begin(key), std::end(key), shape.key);
    shape.firstRow = row;
    shape.present = uint8_t(key[0]);
    const int timeSeparator = int(uint8_t(key[0] >> 8)) - 1;
    if (timeSeparator >= 0) {
        const uint32_t separator = uint32_t(key[0] >> 32);
        std::memcpy(shape.time + 2, &separator, size_t(timeSeparator));
        std::memcpy(shape.time + 4 + timeSeparator, &separator, size_t(timeSeparator));
        std::memcpy(&shape.timeText, shape.time, sizeof shape.timeText);
        shape.timeLength = uint8_t(6 + 2 * timeSeparator);
        shape.timeSeparatorLength = uint8_t(timeSeparator);
    }
    // A symbol the shape does not use lands in the last byte, which is then past the text.
    for (uint8_t& shift : shape.symbolShift)
        shift = 8 * (sizeof shape.valueText - 1);
    const int symbols = uint8_t(key[0] >> 16);
    if (symbols > 0) {
        const int last = symbols - 1;
        const int valueSeparator = uint8_t(key[0] >> 24);
        // The separator's bytes go in after the leading symbols.
        shape.valueText = (key[1] >> 32) << (8 * last);
        for (int i = 0; i < last; ++i)
            shape.symbolShift[i] = uint8_t(8 * i);
        shape.symbolShift[last] = uint8_t(8 * (last + valueSeparator));
        shape.valueLength = uint8_t(last + valueSeparator + 1);
    }
    shape.unitLength = uint8_t(key[1]);
    std::memcpy(shape.unitText, &key[2], sizeof shape.unitText);
    return shape;
}

}  // namespace

QByteArrayView RowShape::decodeOtherTime(uint32_t digits, char* out) const
{
    if (timeLength == 0)
        return QByteArrayView(out, 0);
    const int separator = timeSeparatorLength;
    std::memcpy(out, time, sizeof time);
    putDigits(out, digits & 127);
    putDigits(out + 2 + separator, (digits >> 7) & 127);
    putDigits(out + 4 + 2 * separator, (digits >> 14) & 127);
    return QByteArrayView(out, timeLength);
}

uint64_t RowShapes::encode(uint8_t present, int64_t noDelta, const QByteArrayView (&texts)[3], int row)
{
    if (noDelta < -kCompactNoLimit || noDelta >= kCompactNoLimit)
        return 0;
    uint64_t key[3] = {present, 0, 0};
    uint32_t digits = 0;
    uint32_t symbols = 0;
    if ((present & 2) && !texts[0].isEmpty() && !parseTime(texts[0], key, digits))
        return 0;
    if ((present & 4) && !texts[1].isEmpty() && !parseValue(texts[1], key, symbols))
        return 0;
    if (present & 8) {
        if (texts[2].size() > kMaxUnit)
            return 0;
        key[1] |= uint64_t(texts[2].size());
        key[2] = bytesOf(texts[2].data(), texts[2].size());
    }
    const int shape = find(key, row);
    if (shape < 0)
        return 0;
    return 1 | uint64_t(shape) << 1 | uint64_t(digits) << kCompactTimeShift | uint64_t(symbols) << kCompactValueShift |
           uint64_t(noDelta) << kCompactNoShift;
}

int RowShapes::find(const uint64_t (&key)[3], int row)
{
    auto matches = [&key](const RowShape& shape) {
        return ((shape.key[0] ^ key[0]) | (shape.key[1] ^ key[1]) | (shape.key[2] ^ key[2])) == 0;
    };
    if (m_count > 0 && matches(m_shapes[m_last]))
        return m_last;
    for (int i = 0; i < m_count; ++i) {
        if (matches(m_shapes[i]))
            return m_last = i;
    }
    if (m_count == kShapeCount)
        return -1;
    if (!m_shapes)
        m_shapes = std::make_unique<RowShape[]>(kShapeCount);
    m_shapes[m_count] = makeShape(key, row);
    return m_last = m_count++;
}

void RowShapes::removeFrom(int row)
{
    while (m_count > 0 && m_shapes[m_count - 1].firstRow >= row)
        --m_count;
    m_last = 0;
    if (m_count == 0)
        m_shapes.reset();
}

void RowShapes::clear()
{
    m_shapes.reset();
    m_count = 0;
    m_last = 0;
}

}  // namespace measurement_storage
