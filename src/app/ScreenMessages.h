#pragma once

#include "base/LinkPorts.h"

class MessageDialogs;

// The links' notices and questions, shown in the program's message dialog.
class ScreenMessages : public UserMessages {
public:
    explicit ScreenMessages(MessageDialogs& dialogs) : m_dialogs(dialogs) {}

    void showNotice(const QString& text, NoticeKind kind) override;
    bool askYesNo(const QString& question) override;

private:
    MessageDialogs& m_dialogs;
};
