#pragma once

#include "dialogs/MessageDialogs.h"
#include "dialogs/PlatformMessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Message dialogs for tests: every platform message box and every message dialog is answered
// at once, without showing anything, and remembered. Boxes get answerBox's answer, message
// dialogs answerMessage's; shown holds the texts of both kinds in the order shown.
struct AnsweredMessages : MessageDialogs {
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

    int showBox(QWidget*, const QString& text, const QString& caption, unsigned flags) override
    {
        boxes.append({text, caption, flags});
        shown.append(text);
        return answerBox(boxes.back());
    }
    int32_t showMessage(const QString& text, MessageKind kind, MessageButtons buttons) override
    {
        messages.append({text, kind, buttons});
        shown.append(text);
        return answerMessage(messages.back());
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
