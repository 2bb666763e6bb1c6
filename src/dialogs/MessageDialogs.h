#pragma once

#include "dialogs/NewMsgDlg.h"

#include <QString>

class QWidget;

// The modal messages the program shows: the platform's standard message box (flag word and
// result codes as in PlatformMessageBox) and the program's own message dialog. Whatever talks
// to the user is handed one at construction; the programs hand in the one that shows them on
// screen, tests one that answers without showing anything.
class MessageDialogs {
public:
    virtual ~MessageDialogs() = default;

    virtual int showBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) = 0;
    virtual int32_t showMessage(const QString& text, MessageKind kind, MessageButtons buttons) = 0;
};

// Shows both on screen. It holds nothing, so one serves the whole program.
MessageDialogs& screenDialogs();
