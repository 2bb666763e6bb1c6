#include "chart/PageSizeText.h"

#include "base/IntegerText.h"
#include "chart/TChartControl.h"

std::optional<int32_t> pageSizeFromText(QByteArrayView text)
{
    int32_t size = 0;
    if (!tryParseIntegerText(text.toByteArray(), size) || size < 1)
        return std::nullopt;
    return size;
}

int32_t applyPageSizeText(TChartControl& pager, QByteArrayView text)
{
    if (const auto size = pageSizeFromText(text))
        pager.SetPageSize(*size);
    return pager.CurrentPage();
}
