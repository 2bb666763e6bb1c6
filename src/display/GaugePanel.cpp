#include "display/GaugePanel.h"

#include "display/GaugeZoom.h"
#include "widgets/Icons.h"
#include "widgets/WidgetFactory.h"

#include <QLabel>
#include <QPixmap>
#include <QToolButton>

using namespace WidgetFactory;

GaugePanel::GaugePanel(QWidget* parent) : BevelPanel(Bevel::None, Bevel::Lowered, parent)
{
    placed(this, "KD", QRect(857, 240, 33, 38));
    setColour(this, QPalette::Window, Qt::white);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("KD1"));
    m_image->setScaledContents(true);
    m_image->setGeometry(clientRect());

    m_enlarge = flatButton(this, "KdFd", QRect(264, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Plus, Qt::red)),
                           QSize(25, 25));
    m_enlarge->hide();
    m_restore = flatButton(this, "KdSx", QRect(288, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Minus, Qt::red)),
                           QSize(25, 25));
    m_restore->hide();
    BevelPanel* overload = create(this, "oltext", QRect(109, 72, 113, 49), Bevel::None, Bevel::None, QColor(128, 128, 128));
    overload->setCaption(QStringLiteral("OL !!"));
    overload->setFont(pixelFont(QStringLiteral("Arial"), 35, Bold));
    setColour(overload, QPalette::WindowText, Qt::white);
    overload->hide();
    hide();
}

QSize GaugePanel::panelSize() const
{
    return size();
}

QColor GaugePanel::panelBackground() const
{
    return palette().color(QPalette::Window);
}

QImage& GaugePanel::picture()
{
    if (m_picture.isNull()) {
        m_picture = QImage(m_image->size(), QImage::Format_RGB32);
        m_picture.fill(Qt::white);
    }
    return m_picture;
}

void GaugePanel::pictureChanged()
{
    m_image->setPixmap(QPixmap::fromImage(m_picture));
}

bool GaugePanel::toggleEnlarged(QSize windowOuterSize, std::array<int32_t, 4>& savedBounds)
{
    const GaugeZoomStep step = gaugeZoomStep(geometry(), windowOuterSize, savedBounds);
    m_enlarge->setHidden(step.enlarged);
    m_restore->setHidden(!step.enlarged);
    savedBounds = step.savedBounds;
    const QSize before = size();
    setGeometry(step.panel);
    m_image->setGeometry(step.picture);
    if (!isVisible() && size() != before)
        emit resized();
    return step.enlarged;
}

void GaugePanel::placeZoomButtons()
{
    m_enlarge->move(width() - 30, 5);
    m_restore->move(width() - 30, 5);
}

void GaugePanel::resizeEvent(QResizeEvent* event)
{
    BevelPanel::resizeEvent(event);
    emit resized();
}
