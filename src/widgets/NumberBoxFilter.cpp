#include "NumberBoxFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

bool onlyDigitsOrBackspace(const QString& typed)
{
    return std::all_of(typed.begin(), typed.end(), [](QChar c) { return isIntervalKey(c.unicode()); });
}

}  // namespace

bool isIntervalKey(char16_t typed)
{
    return (typed >= u'0' && typed <= u'9') || typed == u'\b';
}

bool numberBoxAcceptsKey(const QKeyEvent& key)
{
    // Short-cuts such as paste carry a modifier; editing and navigation keys type nothing or a
    // control character. Only printable characters are filtered.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    const QString typed = key.text();
    const bool printable = std::any_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); });
    return !printable || onlyDigitsOrBackspace(typed);
}

NumberBoxFilter::NumberBoxFilter(QLineEdit* box) : QObject(box)
{
    box->installEventFilter(this);
}

bool NumberBoxFilter::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return !numberBoxAcceptsKey(*static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
        // Composed characters are typed too.
        return !onlyDigitsOrBackspace(static_cast<QInputMethodEvent*>(event)->commitString());
    default:
        return false;
    }
}
