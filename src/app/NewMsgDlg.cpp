// Placeholder until the dialog lands: shows the text in a plain box.
#include "NewMsgDlg.h"

#include <QMessageBox>

namespace {
WideMessageAnswerer& answerer()
{
    static WideMessageAnswerer instance;
    return instance;
}
}  // namespace

void setWideMessageAnswererForTests(WideMessageAnswerer a)
{
    answerer() = std::move(a);
}

int32_t ShowWideMessage(const QString& text, MessageKind kind, MessageButtons buttons, int32_t helpContext)
{
    return ShowWideMessageAt(text, kind, buttons, helpContext, -1, -1, QString());
}

int32_t ShowWideMessageAt(const QString& text, MessageKind kind, MessageButtons buttons, int32_t, int32_t, int32_t,
                          const QString&)
{
    if (answerer())
        return answerer()(text, kind, buttons);
    QMessageBox::information(nullptr, QString(), text);
    return 1;
}

TMessageForm* BuildMessageForm(const QString&, MessageKind, MessageButtons)
{
    return nullptr;
}
