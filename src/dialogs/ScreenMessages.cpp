#include "dialogs/ScreenMessages.h"

#include "dialogs/MessageCodes.h"
#include "dialogs/PlatformMessageBox.h"

#include <QApplication>

namespace {

class ScreenMessages : public UserMessages {
public:
    MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                           MessageTone tone) override
    {
        return MessageCodes::answer(PlatformMessageBox::show(QApplication::activeWindow(), text, caption,
                                                             MessageCodes::boxFlags(choices, tone)));
    }
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
    {
        return MessageCodes::answer(
            ShowWideMessage(text, MessageCodes::dialogKind(tone), MessageCodes::dialogButtons(choices), 0));
    }
};

}  // namespace

UserMessages& screenMessages()
{
    static ScreenMessages messages;
    return messages;
}
