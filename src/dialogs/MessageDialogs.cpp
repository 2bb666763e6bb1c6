#include "dialogs/MessageDialogs.h"

#include "dialogs/PlatformMessageBox.h"

namespace {

class ScreenDialogs : public MessageDialogs {
public:
    int showBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) override
    {
        return PlatformMessageBox::show(parent, text, caption, flags);
    }
    int32_t showMessage(const QString& text, MessageKind kind, MessageButtons buttons) override
    {
        return ShowWideMessage(text, kind, buttons, 0);
    }
};

}  // namespace

MessageDialogs& screenDialogs()
{
    static ScreenDialogs dialogs;
    return dialogs;
}
