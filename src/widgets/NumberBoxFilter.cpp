#include "widgets/NumberBoxFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

bool allAccepted(const QString& typed, NumberBoxKeys keys)
{
    return std::all_of(typed.begin(), typed.end(), [keys](QChar c) { return keys(c.unicode()); });
}

}  // namespace

bool isIntervalKey(char16_t typed)
{
    return (typed >= u'0' && typed <= u'9') || typed == u'\b';
}

bool isLimitKey(char16_t typed)
{
    return isIntervalKey(typed) || typed == u'+' || typed == u'-';
}

bool numberBoxAcceptsKey(const QKeyEvent& key, NumberBoxKeys keys)
{
    // Short-cuts such as paste carry a modifier; editing and navigation keys type nothing or a
    // control character. Only printable characters are filtered.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    const QString typed = key.text();
    const bool printable = std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); });
    return !printable || allAccepted(typed, keys);
}

NumberBoxFilter::NumberBoxFilter(QLineEdit* box, NumberBoxKeys keys) : QObject(box), m_keys(keys)
{
    box->installEventFilter(this);
}

bool NumberBoxFilter::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return !numberBoxAcceptsKey(*static_cast<QKeyEvent*>(event), m_keys);
    case QEvent::InputMethod:
        // Composed characters are typed too.
        return !allAccepted(static_cast<QInputMethodEvent*>(event)->commitString(), m_keys);
    default:
        return false;
    }
}
