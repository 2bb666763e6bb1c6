#include "dialogs/MessageCodes.h"

#include "dialogs/PlatformMessageBox.h"

namespace MessageCodes {

using namespace PlatformMessageBox;

unsigned boxFlags(MessageChoices choices, MessageTone tone)
{
    unsigned flags = MB_OK;
    switch (choices) {
    case MessageChoices::Ok: flags = MB_OK; break;
    case MessageChoices::OkCancel: flags = MB_OKCANCEL; break;
    case MessageChoices::YesNo: flags = MB_YESNO; break;
    }
    switch (tone) {
    case MessageTone::Warning: return flags | MB_ICONEXCLAMATION;
    case MessageTone::Error: return flags | MB_ICONHAND;
    case MessageTone::Information: return flags | MB_ICONASTERISK;
    case MessageTone::Question: return flags | MB_ICONQUESTION;
    }
    return flags;
}

MessageKind dialogKind(MessageTone tone)
{
    switch (tone) {
    case MessageTone::Warning: return MessageKind::Warning;
    case MessageTone::Error: return MessageKind::Error;
    case MessageTone::Information: return MessageKind::Information;
    case MessageTone::Question: return MessageKind::Confirmation;
    }
    return MessageKind::Information;
}

MessageButtons dialogButtons(MessageChoices choices)
{
    switch (choices) {
    case MessageChoices::Ok: return MessageButton::OK;
    case MessageChoices::OkCancel: return MessageButton::OK | MessageButton::Cancel;
    case MessageChoices::YesNo: return MessageButton::Yes | MessageButton::No;
    }
    return MessageButton::OK;
}

MessageAnswer answer(int result)
{
    switch (result) {
    case IDOK: return MessageAnswer::Ok;
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    default: return MessageAnswer::Cancel;
    }
}

}  // namespace MessageCodes
