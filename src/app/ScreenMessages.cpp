#include "ScreenMessages.h"

#include "NewMsgDlg.h"

void ScreenMessages::showNotice(const QString& text, NoticeKind kind)
{
    ShowWideMessage(text, kind == NoticeKind::Warning ? MessageKind::Warning : MessageKind::Information,
                    MessageButton::OK, 0);
}

bool ScreenMessages::askYesNo(const QString& question)
{
    constexpr int32_t kYes = 6;
    return ShowWideMessage(question, MessageKind::Confirmation, MessageButton::Yes | MessageButton::No, 0) == kYes;
}
