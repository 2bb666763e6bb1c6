#include "record/SamplingInterval.h"

#include <limits>

int32_t intervalSeconds(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    constexpr int64_t kLongest = std::numeric_limits<int32_t>::max();
    int64_t seconds = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        seconds = std::min(seconds * 10 + (text[i] - '0'), kLongest);
    return negative ? 0 : int32_t(seconds);
}
