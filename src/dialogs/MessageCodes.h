#pragma once

#include "base/UserMessages.h"
#include "dialogs/NewMsgDlg.h"

// The named answers and looks of a message in the codes of the two dialogs that show them: the
// platform box's flag word and the program's dialog's kind and buttons. Both answer with the
// same result codes (1 OK, 2 Cancel, 6 Yes, 7 No).
namespace MessageCodes {

unsigned boxFlags(MessageChoices choices, MessageTone tone);
MessageKind dialogKind(MessageTone tone);
MessageButtons dialogButtons(MessageChoices choices);
// Any code that names no button (a dialog closed with Escape) is Cancel.
MessageAnswer answer(int result);

}  // namespace MessageCodes
