// The integer texts: the program's integer rule (with its error message), the chart's page
// size box and the sampling interval box, each held against a plain reading of its rule.
#include "IntegerRule.h"

#include "base/IntegerText.h"
#include "chart/PageSizeText.h"
#include "record/SamplingInterval.h"

#include <QByteArray>

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkIntegerRule(const QByteArray& text, std::string_view bytes)
{
    const std::optional<int32_t> expected = readIntegerByTheRule(bytes);
    int32_t value = 0;
    const bool accepted = tryParseIntegerText(text, value);
    check(accepted == expected.has_value());
    if (accepted)
        check(value == *expected);

    // The throwing form agrees, and its message quotes the whole text, NUL bytes included.
    try {
        const int32_t parsed = parseIntegerText(text);
        check(expected && parsed == *expected);
    } catch (const ProgramError& error) {
        check(!expected);
        check(error.message() == "'" + std::string(bytes) + "' is not a valid integer value");
    }
}

void checkPageSize(const QByteArray& text, std::string_view bytes)
{
    // A page size is a number of the integer rule, at least 1; anything else keeps the old one.
    const std::optional<int32_t> number = readIntegerByTheRule(bytes);
    const std::optional<int32_t> expected = number && *number >= 1 ? number : std::nullopt;
    check(pageSizeFromText(text) == expected);
}

void checkInterval(const QByteArray& text, std::string_view bytes)
{
    // Leading blanks and one sign, then the digits up to the first non-digit; a negative
    // number is 0 and one beyond 32 bits the longest interval.
    size_t i = 0;
    while (i < bytes.size() && bytes[i] == ' ')
        ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '-' || bytes[i] == '+'))
        negative = bytes[i++] == '-';
    std::string digits;
    while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9')
        digits += bytes[i++];
    while (digits.size() > 1 && digits.front() == '0')
        digits.erase(0, 1);
    int32_t expected = 0;
    if (!negative && !digits.empty())
        expected = digits.size() > 10 || std::stoll(digits) > INT32_MAX ? INT32_MAX : int32_t(std::stoll(digits));
    check(intervalSeconds(text) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QByteArray text(bytes.data(), qsizetype(bytes.size()));
    checkIntegerRule(text, bytes);
    checkPageSize(text, bytes);
    checkInterval(text, bytes);
    return 0;
}
