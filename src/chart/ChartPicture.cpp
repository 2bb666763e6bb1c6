#include "chart/ChartPicture.h"

#include "base/LocaleTexts.h"
#include "base/UserMessages.h"
#include "chart/ChartPictureFile.h"

#include <QFont>
#include <QPainter>

QImage stampedWithDate(const QImage& chart, const QString& dateText)
{
    QImage stamped = chart.copy();
    if (stamped.isNull())
        return stamped;  // nothing to draw on; writing it fails with the writer's reason
    QPainter painter(&stamped);
    // The toolkit's default canvas font, as the window's own controls name it.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 255));
    const QPoint topLeft(stamped.width() - kDateStampFromRight, kDateStampFromTop);
    painter.drawText(QRect(topLeft, QSize(kDateStampFromRight, stamped.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, dateText);
    return stamped;
}

ChartPictureSaver::ChartPictureSaver(Ports ports, UserMessages& messages, const FileSystem& files)
    : m_ports(std::move(ports)), m_messages(messages), m_files(files)
{
}

void ChartPictureSaver::save() const
{
    const QDate today = m_ports.today();
    const QString fileName = m_ports.askFileName(today.toString(QStringLiteral("yyyy-MM-dd")));
    if (fileName.isEmpty())
        return;
    const QImage chart = m_ports.renderChart();
    m_ports.putOnClipboard(chart);
    const QString dateText = QString::fromLocal8Bit(LocaleTexts::shortDateText(today, m_ports.locale));
    writeChartPicture(stampedWithDate(chart, dateText), fileName, m_files);
    m_messages.tell(QStringLiteral("Graphic has saved on %1").arg(fileName), MessageTone::Information);
}
