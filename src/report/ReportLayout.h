#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>

// Where everything of the printed table report goes, in millimetres, without drawing anything:
// the page, its bands, the items in each band, and which rows land on which page.
//
// The report is A4 portrait with 10 mm margins. Every page carries the page header and the
// column header, then one detail band per row in table order; every page but the last ends with
// the page footer at the bottom of the printable area. Because the last page carries no footer,
// it also holds the rows that the footer's place would take on the pages before it.
namespace ReportGeometry {

constexpr double kPageWidth = 210.0;
constexpr double kPageHeight = 297.0;
constexpr double kMargin = 10.0;
constexpr double kBandWidth = kPageWidth - 2 * kMargin;     // 190
constexpr double kPrintableHeight = kPageHeight - 2 * kMargin;  // 277

constexpr double kPageHeaderHeight = 19.8;
constexpr double kColumnHeaderHeight = 10.6;
constexpr double kDetailHeight = 6.6;
constexpr double kFooterHeight = 10.6;

constexpr double kDetailAreaTop = kPageHeaderHeight + kColumnHeaderHeight;

// A little slack, so that a band that fits exactly is not lost to rounding.
constexpr int bandsThatFit(double height, double bandHeight)
{
    return int(height / bandHeight + 1e-6);
}

// Font sizes in points: "Arial" for captions and fields, the LCD face as the report's own font.
constexpr double kFontPointSize = 10.0;
inline const QString kCaptionFace = QStringLiteral("Arial");

}  // namespace ReportGeometry

// Which face an item is printed in: "Arial", or the report's own font (the LCD face).
enum class ReportFace { Caption, ReportFont };

// A text that sizes itself to its content, placed at its top left corner in its band.
struct ReportLabel {
    QString text;
    QPointF topLeft;
    ReportFace face;
};

// The fields of a detail band. The row number is centred under the "No" caption; the others
// start at their left edge.
enum class ReportColumn { No, Time, Value, Unit };
struct ReportFieldItem {
    ReportColumn column;
    QPointF topLeft;
    ReportFace face;
    bool centredUnderCaption;
};

namespace ReportBands {

// Page header: the title centred in a fixed box across the band, then "Date:" and the date.
inline const QRectF kTitleBox{(ReportGeometry::kBandWidth - 35.5) / 2, 2.1, 35.5, 5.0};
inline const QString kTitle = QStringLiteral("TQ-612 Data");
inline const ReportLabel kDateCaption{QStringLiteral("Date:"), {2.1, 10.6}, ReportFace::Caption};
inline const QPointF kDateTopLeft{10.6, 10.6};

inline const std::array<ReportLabel, 4> kColumnCaptions{{
    {QStringLiteral("No"), {8.5, 4.2}, ReportFace::Caption},
    {QStringLiteral("Time"), {33.9, 4.2}, ReportFace::Caption},
    {QStringLiteral("Value"), {99.5, 4.2}, ReportFace::Caption},
    {QStringLiteral("Unit"), {132.3, 4.2}, ReportFace::Caption},
}};

// The unit is printed in the report's own font, so it shows as its LCD symbol.
inline const std::array<ReportFieldItem, 4> kDetailFields{{
    {ReportColumn::No, {8.5, 2.1}, ReportFace::Caption, true},
    {ReportColumn::Time, {33.9, 2.1}, ReportFace::Caption, false},
    {ReportColumn::Value, {99.5, 2.1}, ReportFace::Caption, false},
    {ReportColumn::Unit, {131.2, 2.1}, ReportFace::ReportFont, false},
}};

inline const ReportLabel kFooter{QStringLiteral("The Data Print Foot"), {8.5, 4.2}, ReportFace::ReportFont};

}  // namespace ReportBands

class ReportLayout {
public:
    struct Page {
        int firstRow = 0;
        int rowCount = 0;
        bool hasFooter = false;
    };

    // Rows that fit between the column header and the footer, and on the last page, which has
    // the footer's place to spare.
    static constexpr int kRowsPerPage = ReportGeometry::bandsThatFit(
        ReportGeometry::kPrintableHeight - ReportGeometry::kDetailAreaTop - ReportGeometry::kFooterHeight,
        ReportGeometry::kDetailHeight);
    static constexpr int kRowsOnLastPage = ReportGeometry::bandsThatFit(
        ReportGeometry::kPrintableHeight - ReportGeometry::kDetailAreaTop, ReportGeometry::kDetailHeight);

    // An empty table has no pages: the report is not printed when there is nothing in it.
    explicit ReportLayout(int rowCount);

    int rowCount() const { return m_rowCount; }
    int pageCount() const { return m_pageCount; }
    // index must be below pageCount().
    Page page(int index) const;

    // Tops of the bands, in mm below the top of the printable area.
    static double columnHeaderTop() { return ReportGeometry::kPageHeaderHeight; }
    static double detailTop(int rowOnPage)
    {
        return ReportGeometry::kDetailAreaTop + rowOnPage * ReportGeometry::kDetailHeight;
    }
    static double footerTop() { return ReportGeometry::kPrintableHeight - ReportGeometry::kFooterHeight; }

private:
    int m_rowCount;
    int m_pageCount;
};
