#pragma once

#include <QString>

// The one way the program reaches the user: modal messages with named answers. Whatever talks to
// the user is handed one at construction; the programs hand in the one that shows them on
// screen, tests one that answers at once. Called on the GUI thread only.

// The icon of a message, and the kind of the program's own dialog.
enum class MessageTone { Warning, Error, Information, Question };
// The buttons a message offers.
enum class MessageChoices { Ok, OkCancel, YesNo };
// The button the user chose. A message closed without one answers Cancel.
enum class MessageAnswer { Ok, Cancel, Yes, No };

class UserMessages {
public:
    virtual ~UserMessages() = default;

    // The platform's standard message box under the caption given.
    virtual MessageAnswer askInBox(const QString& text, const QString& caption, MessageChoices choices,
                                   MessageTone tone) = 0;
    // The program's own message dialog.
    virtual MessageAnswer askInDialog(const QString& text, MessageTone tone, MessageChoices choices) = 0;

    // The program's dialog with an OK button only.
    void tell(const QString& text, MessageTone tone) { askInDialog(text, tone, MessageChoices::Ok); }
    // The program's dialog asking Yes or No; true when the user chose Yes.
    bool confirm(const QString& question)
    {
        return askInDialog(question, MessageTone::Question, MessageChoices::YesNo) == MessageAnswer::Yes;
    }
};
