#pragma once

#include "base/UserMessages.h"
#include "dialogs/MessageCodes.h"
#include "dialogs/PlatformMessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Messages for tests: every platform message box and every message dialog is answered at once,
// without showing anything, and remembered in the codes the two dialogs would be shown with.
// Boxes get answerBox's answer, message dialogs answerMessage's (both in the dialogs' result
// codes); shown holds the texts of both kinds in the order shown.
struct AnsweredMessages : UserMessages {
    struct Box {
        QString text;
        QString caption;
        unsigned flags;
    };
    struct Message {
        QString text;
        MessageKind kind;
        MessageButtons buttons;
    };
    QList<Box> boxes;
    QList<Message> messages;
    QStringList shown;
    std::function<int(const Box&)> answerBox;
    std::function<int32_t(const Message&)> answerMessage;

    // Boxes are answered OK, message dialogs with messageAnswer.
    explicit AnsweredMessages(int32_t messageAnswer = 1) { reset(messageAnswer); }

    // Forgets what was shown and goes back to the plain answers.
    void reset(int32_t messageAnswer = 1)
    {
        boxes.clear();
        messages.clear();
        shown.clear();
        answerBox = [](const Box&) { return int(PlatformMessageBox::IDOK); };
        answerMessage = [messageAnswer](const Message&) { return messageAnswer; };
    }

    MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                           MessageTone tone) override
    {
        boxes.append({text, caption, MessageCodes::boxFlags(choices, tone)});
        shown.append(text);
        return MessageCodes::answer(answerBox(boxes.back()));
    }
    MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) override
    {
        messages.append({text, MessageCodes::dialogKind(tone), MessageCodes::dialogButtons(choices)});
        shown.append(text);
        return MessageCodes::answer(answerMessage(messages.back()));
    }

    // The texts of the standard error reports shown so far.
    QStringList errorReports() const
    {
        QStringList texts;
        for (const Box& box : boxes) {
            if (box.caption == QStringLiteral("TQ-612"))
                texts << box.text;
        }
        return texts;
    }
};
