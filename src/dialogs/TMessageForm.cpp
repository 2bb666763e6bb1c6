#include "dialogs/TMessageForm.h"

#include "base/IntegerText.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

TMessageForm::TMessageForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    // Platform themes hand their message font to QMessageBox's label under this class name;
    // without one, QApplication answers with its default font.
    setFont(QApplication::font("QMessageBoxLabel"));
    setLayoutDirection(QGuiApplication::layoutDirection());
}

QLabel* TMessageForm::addImage(const QPixmap& icon)
{
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image"));
    m_image->setPixmap(icon);
    return m_image;
}

QLabel* TMessageForm::addMessage(const QString& text)
{
    m_message = new QLabel(text, this);
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    return m_message;
}

QPushButton* TMessageForm::addButton(const QString& name, const QString& caption, int32_t resultCode)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    if (resultCode != 0)
        connect(button, &QPushButton::clicked, this, [this, resultCode] { done(resultCode); });
    m_buttons.push_back(button);
    return button;
}

void TMessageForm::setCancelButton(QPushButton* button)
{
    m_cancelButton = button;
}

QString TMessageForm::copyText() const
{
    const QString rule = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
    QString captions;
    for (const QPushButton* button : m_buttons)
        captions += QString(button->text()).remove(QLatin1Char('&')) + QStringLiteral("   ");
    const QString message = m_message ? m_message->text() : QString();
    return rule + windowTitle() + QStringLiteral("\r\n") + rule + message + QStringLiteral("\r\n") + rule + captions +
           QStringLiteral("\r\n") + rule;
}

void TMessageForm::copyToClipboard() const
{
    QApplication::beep();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw ProgramError("Cannot open clipboard");
    // Other programs read the copy as 8-bit text in the system code page, so it carries only
    // what survives that conversion.
    const QString text = QString::fromLocal8Bit(copyText().toLocal8Bit());
    clipboard->setText(text, QClipboard::Clipboard);
    // A platform that could not take the clipboard over keeps the previous owner's text.
    if (clipboard->text(QClipboard::Clipboard) != text)
        throw ProgramError("Cannot open clipboard");
}

void TMessageForm::reject()
{
    done(CloseResult);
}

void TMessageForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_C && event->modifiers() == Qt::ControlModifier) {
        copyToClipboard();
        return;
    }
    if (event->matches(QKeySequence::Cancel)) {
        if (m_cancelButton)
            m_cancelButton->click();
        return;
    }
    // Enter: QDialog clicks the default button, which follows the focus from button to button.
    QDialog::keyPressEvent(event);
}
