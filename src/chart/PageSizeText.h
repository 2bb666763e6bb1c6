#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>

class TChartControl;

// The page size typed into the points-per-page box, read by the program's integer rule. An
// empty text, a size below 1 or one beyond 32 bits gives nothing, so the caller keeps the
// size it has and stops its timer like after any other text.
std::optional<int32_t> pageSizeFromText(QByteArrayView text);

// Applies a typed page size (when the text holds one) and returns the page to show on the page
// label. An axis error of the chart propagates, so a caller that stops its timer afterwards
// leaves it running and the next tick finds the size already stored.
int32_t applyPageSizeText(TChartControl& pager, QByteArrayView text);
