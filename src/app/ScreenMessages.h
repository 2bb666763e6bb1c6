#pragma once

#include "CableConnectionPorts.h"

// The cable connection's notices and questions, shown in the program's message dialog.
class ScreenMessages : public UserMessages {
public:
    void showNotice(const QString& text, NoticeKind kind) override;
    bool askYesNo(const QString& question) override;
};
