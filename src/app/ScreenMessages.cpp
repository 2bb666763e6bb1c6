#include "app/ScreenMessages.h"

#include "dialogs/MessageDialogs.h"

void ScreenMessages::showNotice(const QString& text, NoticeKind kind)
{
    m_dialogs.showMessage(text, kind == NoticeKind::Warning ? MessageKind::Warning : MessageKind::Information,
                          MessageButton::OK);
}

bool ScreenMessages::askYesNo(const QString& question)
{
    constexpr int32_t kYes = 6;
    return m_dialogs.showMessage(question, MessageKind::Confirmation, MessageButton::Yes | MessageButton::No) == kYes;
}
