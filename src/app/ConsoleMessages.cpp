#include "app/ConsoleMessages.h"

MessageAnswer ConsoleMessages::askInBox(const QString& text, const QString& caption, MessageChoices choices,
                                        MessageTone tone)
{
    return askInDialog(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text, tone, choices);
}

MessageAnswer ConsoleMessages::askInDialog(const QString& text, MessageTone tone, MessageChoices choices)
{
    if (tone == MessageTone::Information)
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), m_out);
    else
        std::fputs(QStringLiteral("%1: %2\n").arg(m_programName, text).toLocal8Bit().constData(), m_errors);
    switch (choices) {
    case MessageChoices::Ok:
        return MessageAnswer::Ok;
    case MessageChoices::OkCancel:
        return MessageAnswer::Cancel;
    case MessageChoices::YesNo:
        break;
    }
    return MessageAnswer::No;
}
