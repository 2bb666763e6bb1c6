#include "record/RecordBar.h"

#include "widgets/Icons.h"
#include "widgets/NumberBoxFilter.h"
#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

using namespace WidgetFactory;

RecordBar::RecordBar(QWidget* parent) : BevelPanel(Bevel::Lowered, Bevel::Raised, parent)
{
    placed(this, "Panel6", QRect(0, 157, 337, 29));
    const QFont arial11 = pixelFont(QStringLiteral("Arial"), 11);

    m_repeat = checkBox(this, "RepeatSet", QRect(3, 5, 54, 20), QStringLiteral("Repeat"), true);
    m_repeat->setFont(arial11);
    setColour(m_repeat, QPalette::WindowText, Qt::black);
    setHint(m_repeat, QStringLiteral("Repeage Record"), HintShown::No);

    // The interval box lies over the run of blanks, so the caption reads around it.
    m_sampling = checkBox(this, "RecordSI", QRect(57, 5, 143, 20), QStringLiteral("Sampling Interval           'S"), true);
    m_sampling->setFont(arial11);
    setColour(m_sampling, QPalette::WindowText, Qt::black);
    m_interval = edit(this, "RecordSITime", QRect(159, 4, 27, 21), QStringLiteral("1"));
    new NumberBoxFilter(m_interval);

    m_closeData = flatButton(this, "RecordNew", QRect(244, 4, 23, 21), QIcon(Icons::blankPage()));
    setHint(m_closeData, QStringLiteral("Close Data"), HintShown::Yes);
    m_open = flatButton(this, "OpenDataFiles", QRect(266, 4, 23, 21), Icons::openFolderIcon());
    setHint(m_open, QStringLiteral("Open old data files"), HintShown::Yes);
    m_save = flatButton(this, "saveas", QRect(288, 4, 23, 21), QIcon(Icons::floppyDisk()));
    setHint(m_save, QStringLiteral("Save data files"), HintShown::Yes);
    m_print = flatButton(this, "BtPrint", QRect(310, 4, 22, 21), QIcon(Icons::printer()));
    m_print->setFont(pixelFont(QStringLiteral("Arial"), 11, Bold));
    m_print->setCursor(Qt::ArrowCursor);
    setHint(m_print, QStringLiteral("Print"), HintShown::No);
}

bool RecordBar::repeatTicked() const
{
    return m_repeat->isChecked();
}

bool RecordBar::samplingTicked() const
{
    return m_sampling->isChecked();
}

QByteArray RecordBar::intervalText() const
{
    return m_interval->text().toLocal8Bit();
}

void RecordBar::switchOffSamplingInterval()
{
    m_sampling->setChecked(false);
}
