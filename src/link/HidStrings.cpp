#include "link/HidStrings.h"

#include <algorithm>

QString hidStringText(const HidStringBuffer& buffer)
{
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return QString::fromUtf16(buffer.data(), end - buffer.begin());
}

void copyToHidStringBuffer(const std::u16string_view text, HidStringBuffer& buffer)
{
    std::copy_n(text.begin(), std::min(text.size(), buffer.size()), buffer.begin());
}

bool serialNumberDiffersFromLanguageIds(const HidStringBuffer& serial, const HidStringBuffer& languageIds)
{
    size_t length = 0;
    for (size_t i = languageIds.size(); i > 0; --i) {
        const char16_t unit = languageIds[i - 1];
        if (unit != 0xFFFF) {
            length = unit != 0 ? i : i - 1;
            break;
        }
    }
    return !std::equal(serial.begin(), serial.begin() + length, languageIds.begin());
}
