#include "base/IntegerText.h"

#include <charconv>

bool tryParseIntegerText(QByteArrayView text, int32_t& value)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && *p == ' ')
        ++p;
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end)
        return false;
    // Parse the magnitude as unsigned 64-bit so "-2147483648" fits before the sign is applied.
    uint64_t magnitude = 0;
    auto [rest, ec] = std::from_chars(p, end, magnitude);
    if (ec != std::errc() || rest != end || *p < '0' || *p > '9')
        return false;
    const uint64_t limit = negative ? uint64_t(INT32_MAX) + 1 : uint64_t(INT32_MAX);
    if (magnitude > limit)
        return false;
    value = negative ? int32_t(-int64_t(magnitude)) : int32_t(magnitude);
    return true;
}

std::string invalidIntegerMessage(const QByteArray& text)
{
    return "'" + text.toStdString() + "' is not a valid integer value";
}

int32_t parseIntegerText(const QByteArray& text)
{
    int32_t value = 0;
    if (!tryParseIntegerText(text, value))
        throw ProgramError(invalidIntegerMessage(text));
    return value;
}
