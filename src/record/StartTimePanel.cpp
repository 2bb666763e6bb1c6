#include "record/StartTimePanel.h"

#include "base/IntegerText.h"
#include "base/UserMessages.h"
#include "widgets/NumberBoxFilter.h"
#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using namespace WidgetFactory;

StartTimePanel::StartTimePanel(UserMessages& messages, QWidget* parent)
    : BevelPanel(Bevel::None, Bevel::Lowered, parent), m_messages(messages)
{
    const QColor silver(192, 192, 192);
    placed(this, "Panel2", QRect(852, 62, 334, 26));
    setColour(this, QPalette::Window, silver);

    m_recall = checkBox(this, "RecallCheck", QRect(3, 2, 86, 20), QStringLiteral("RecallData"), false);
    m_recall->setFont(pixelFont(QStringLiteral("Arial"), 12, Bold | Italic));
    setColour(m_recall, QPalette::WindowText, Qt::black);

    const QFont plain = parent->font();
    label(this, "Label2", QPoint(88, 5), QStringLiteral("StartTime:"), plain);
    m_hours = edit(this, "TimeH", QRect(143, 2, 25, 21), QStringLiteral("23"));
    label(this, "Label3", QPoint(169, 4), QStringLiteral(":"), plain);
    m_minutes = edit(this, "TimeM", QRect(175, 2, 25, 21), QStringLiteral("59"));
    label(this, "Label4", QPoint(201, 4), QStringLiteral(":"), plain);
    m_seconds = edit(this, "TimeS", QRect(207, 2, 25, 21), QStringLiteral("59"));
    label(this, "Label1", QPoint(238, 5), QStringLiteral("Interval"), plain);
    m_interval = edit(this, "TimeInt", QRect(284, 2, 30, 21), QStringLiteral("1"));
    label(this, "Label5", QPoint(317, 4), QStringLiteral("'S"), plain);
    for (QLineEdit* box : timeBoxes()) {
        setColour(box, QPalette::Base, silver);
        new NumberBoxFilter(box);
    }
    for (QLineEdit* box : {m_hours, m_minutes, m_seconds})
        box->installEventFilter(this);
    m_recall->installEventFilter(this);
}

bool StartTimePanel::recallTicked() const
{
    return m_recall->isChecked();
}

void StartTimePanel::showRecallDefaults()
{
    const bool ticked = m_recall->isChecked();
    m_hours->setText(ticked ? QStringLiteral("00") : QStringLiteral("23"));
    m_minutes->setText(ticked ? QStringLiteral("00") : QStringLiteral("59"));
    m_seconds->setText(ticked ? QStringLiteral("00") : QStringLiteral("59"));
}

std::array<int32_t, 3> StartTimePanel::startTimeFields() const
{
    return {parseIntegerText(m_hours->text().toLocal8Bit()), parseIntegerText(m_minutes->text().toLocal8Bit()),
            parseIntegerText(m_seconds->text().toLocal8Bit())};
}

void StartTimePanel::checkStartTimeFields() const
{
    startTimeFields();
}

void StartTimePanel::correctStartTimeFields()
{
    // All three are read before any is tested, so a field that is not a number changes nothing.
    const std::array<int32_t, 3> values = startTimeFields();
    const std::array<std::pair<QLineEdit*, int32_t>, 3> fields{{{m_hours, 23}, {m_minutes, 59}, {m_seconds, 59}}};
    for (size_t i = 0; i < fields.size(); ++i) {
        if (values[i] > fields[i].second) {
            m_messages.tell(QStringLiteral("Input error!"), MessageTone::Information);
            fields[i].first->setText(QStringLiteral("00"));
        }
    }
}

bool StartTimePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && watched != m_recall
        && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        emit startTimeKeyReleased();
    } else if (event->type() == QEvent::FocusOut && watched == m_recall) {
        // Leaving the check box for another control of the window, not the window itself
        // losing the focus to another window or to a message box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            emit recallBoxLeft();
    }
    return false;
}
