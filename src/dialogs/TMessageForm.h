#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

class QKeyEvent;
class QLabel;
class QPixmap;
class QPushButton;

// The form behind the message dialog. It holds the controls that BuildMessageForm creates and
// places, answers the keyboard (Escape, Enter, Ctrl+C) and turns button clicks into result codes.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    // The result of closing the form with its close box.
    static constexpr int32_t CloseResult = 2;

    // A parentless fixed dialog in the platform's message font (the application's default
    // font where the platform names none).
    explicit TMessageForm(QWidget* parent = nullptr);

    // The 32 x 32 icon `Image`.
    QLabel* addImage(const QPixmap& icon);
    // The word-wrapped text label `Message`.
    QLabel* addMessage(const QString& text);
    // A push button that ends the dialog with resultCode; a button with code 0 does not end it.
    QPushButton* addButton(const QString& name, const QString& caption, int32_t resultCode);
    void setCancelButton(QPushButton* button);

    QLabel* image() const { return m_image; }
    QLabel* message() const { return m_message; }

    int32_t helpContext() const { return m_helpContext; }
    void setHelpContext(int32_t context) { m_helpContext = context; }
    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString& file) { m_helpFile = file; }

    // The dialog as plain text: caption, message and button captions between rules of hyphens.
    QString copyText() const;
    // Beeps and puts copyText() on the clipboard; throws ProgramError when the clipboard fails.
    void copyToClipboard() const;

public slots:
    // Reached through the close box: ends the dialog with CloseResult.
    void reject() override;

protected:
    // Buttons pass the keys they do not use on to the form, so these work whichever control has the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_image = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_cancelButton = nullptr;
    std::vector<QPushButton*> m_buttons;
    int32_t m_helpContext = 0;
    QString m_helpFile;
};
