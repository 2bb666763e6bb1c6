#pragma once

#include <QString>
#include <array>
#include <cstddef>

// Device strings are read into buffers of this many UTF-16 units.
constexpr size_t kHidStringUnits = 254;
using HidStringBuffer = std::array<char16_t, kHidStringUnits>;

// The text in a buffer, up to its first NUL unit.
QString hidStringText(const HidStringBuffer& buffer);
// Copies as much of the text as fits; the rest of the buffer keeps what it held.
void copyToHidStringBuffer(const std::u16string_view text, HidStringBuffer& buffer);

// Whether a serial-number string is a real serial number, given the language-ID list read
// (string index 0) into a buffer filled with 0xFFFF beforehand. The list ends at the last unit
// that is not 0xFFFF, a terminating NUL excluded; the serial number counts only if it differs
// from the list within the list's length. An unread list (all 0xFFFF) means no serial number.
bool serialNumberDiffersFromLanguageIds(const HidStringBuffer& serial, const HidStringBuffer& languageIds);
