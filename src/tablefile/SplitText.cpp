#include "tablefile/SplitText.h"

#include <cstring>

void SplitText(QByteArrayView text, char delimiter, std::vector<QByteArrayView>& pieces)
{
    pieces.clear();
    const char* rest = text.data();
    const char* const end = rest + text.size();
    while (rest != end) {
        const auto* found = static_cast<const char*>(std::memchr(rest, delimiter, size_t(end - rest)));
        if (!found)
            break;
        pieces.emplace_back(rest, found - rest);
        rest = found + 1;
    }
    pieces.emplace_back(rest, end - rest);
}
