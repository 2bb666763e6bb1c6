#include "dialogs/NewMsgDlg.h"

#include "base/MulDiv.h"
#include "dialogs/TMessageForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <memory>

namespace {

struct ButtonRow {
    const char* name;
    const char* caption;
    int32_t resultCode;
};

// Indexed by bit number: the order in which buttons appear, left to right.
constexpr std::array<ButtonRow, 11> kButtonRows = {{
    {"Yes", "&Yes", 6},
    {"No", "&No", 7},
    {"OK", "OK", 1},
    {"Cancel", "Cancel", 2},
    {"Abort", "&Abort", 3},
    {"Retry", "&Retry", 4},
    {"Ignore", "&Ignore", 5},
    {"All", "&All", 8},
    {"NoToAll", "N&o to All", 9},
    {"YesToAll", "Yes to &All", 10},
    {"Help", "&Help", 0},
}};
constexpr int kYes = 0, kNo = 1, kOK = 2, kCancel = 3, kRetry = 5;

struct KindRow {
    const char* caption;
    QStyle::StandardPixmap icon;
};
constexpr std::array<KindRow, 4> kKindRows = {{
    {"Warning", QStyle::SP_MessageBoxWarning},
    {"Error", QStyle::SP_MessageBoxCritical},
    {"Information", QStyle::SP_MessageBoxInformation},
    {"Confirm", QStyle::SP_MessageBoxQuestion},
}};

constexpr int kIconSize = 32;

std::array<int32_t, 11> g_buttonCaptionWidths{};

bool hasButton(MessageButtons buttons, int n)
{
    return (buttons >> n) & 1u;
}

int32_t captionWidth(const QFontMetrics& metrics, int n)
{
    int32_t& cached = g_buttonCaptionWidths[n];
    if (cached == 0)
        cached = metrics
                     .boundingRect(QRect(), Qt::AlignLeft | Qt::TextSingleLine | Qt::TextShowMnemonic,
                                   QString::fromLatin1(kButtonRows[n].caption))
                     .width() +
                 8;
    return cached;
}

}  // namespace

const std::array<int32_t, 11>& ButtonCaptionWidths()
{
    return g_buttonCaptionWidths;
}

int32_t ShowWideMessage(const QString& text, MessageKind kind, MessageButtons buttons, int32_t helpContext)
{
    return ShowWideMessageAt(text, kind, buttons, helpContext, -1, -1, QString());
}

int32_t ShowWideMessageAt(const QString& text, MessageKind kind, MessageButtons buttons, int32_t helpContext,
                          int32_t x, int32_t y, const QString& helpFile)
{
    const std::unique_ptr<TMessageForm> form(BuildMessageForm(text, kind, buttons));
    form->setHelpContext(helpContext);
    form->setHelpFile(helpFile);
    QPoint position = form->pos();
    if (x >= 0)
        position.setX(x);
    if (y >= 0)
        position.setY(y);
    form->move(position);
    return form->exec();
}

TMessageForm* BuildMessageForm(const QString& text, MessageKind kind, MessageButtons buttons)
{
    auto form = std::make_unique<TMessageForm>();
    const QFontMetrics metrics(form->font());

    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int32_t avgCharWidth = metrics.horizontalAdvance(letters) / 52;
    const int32_t charHeight = metrics.height();

    const int32_t horzMargin = MulDiv(8, avgCharWidth, 4);
    const int32_t vertMargin = MulDiv(8, charHeight, 8);
    const int32_t horzSpacing = MulDiv(10, avgCharWidth, 4);
    const int32_t vertSpacing = MulDiv(10, charHeight, 8);
    const int32_t buttonHeight = MulDiv(14, charHeight, 8);
    const int32_t buttonSpacing = MulDiv(4, avgCharWidth, 4);
    int32_t buttonWidth = MulDiv(50, avgCharWidth, 4);
    int32_t buttonCount = 0;
    for (int n = 0; n < int(kButtonRows.size()); ++n) {
        if (hasButton(buttons, n)) {
            buttonWidth = std::max(buttonWidth, captionWidth(metrics, n));
            ++buttonCount;
        }
    }

    // The text is measured with its terminating NUL, as the dialog's figures were designed; Qt
    // gives the NUL a character cell, so the last line gets that much room to spare.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect textRect = metrics.boundingRect(QRect(0, 0, screen.width() / 2, 0),
                                                Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs,
                                                text + QChar(0));
    const int32_t textWidth = textRect.width();
    const int32_t textHeight = textRect.height();

    const int kindIndex = int(kind);
    const bool hasIcon = kindIndex < int(kKindRows.size());
    int32_t iconTextWidth = textWidth;
    int32_t iconTextHeight = textHeight;
    if (hasIcon) {
        iconTextWidth += kIconSize + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, kIconSize);
    }
    const int32_t buttonGroupWidth =
        buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing;

    const int32_t clientWidth = std::max(iconTextWidth, buttonGroupWidth) + 2 * horzMargin;
    const int32_t clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    form->setFixedSize(clientWidth, clientHeight);
    // Before the window exists Qt knows no frame, so the outer size is the client size here.
    const QSize outer = form->frameGeometry().size();
    form->move(screen.x() + screen.width() / 2 - outer.width() / 2,
               screen.y() + screen.height() / 2 - outer.height() / 2);

    form->setWindowTitle(hasIcon ? QString::fromLatin1(kKindRows[kindIndex].caption)
                                 : QApplication::applicationName());

    const bool rightToLeft = form->layoutDirection() == Qt::RightToLeft;
    // Qt does not mirror absolute positions, so both the icon and the text are mirrored here;
    // mirroring the text alone would lay it over the icon.
    const auto mirrored = [&](int32_t left, int32_t width) {
        return rightToLeft ? clientWidth - left - width : left;
    };
    if (hasIcon) {
        const QIcon icon = form->style()->standardIcon(kKindRows[kindIndex].icon, nullptr, form.get());
        form->addImage(icon.pixmap(kIconSize, kIconSize))
            ->setGeometry(mirrored(horzMargin, kIconSize), vertMargin, kIconSize, kIconSize);
    }
    form->addMessage(text)->setGeometry(mirrored(iconTextWidth - textWidth + horzMargin, textWidth), vertMargin,
                                        textWidth, textHeight);

    const int defaultIndex = hasButton(buttons, kOK) ? kOK : hasButton(buttons, kYes) ? kYes : kRetry;
    const int cancelIndex = hasButton(buttons, kCancel) ? kCancel : hasButton(buttons, kNo) ? kNo : kOK;
    int32_t x = (clientWidth - buttonGroupWidth) / 2;
    const int32_t y = iconTextHeight + vertMargin + vertSpacing;
    for (int n = 0; n < int(kButtonRows.size()); ++n) {
        if (!hasButton(buttons, n))
            continue;
        const ButtonRow& row = kButtonRows[n];
        QPushButton* button =
            form->addButton(QString::fromLatin1(row.name), QString::fromLatin1(row.caption), row.resultCode);
        button->setGeometry(x, y, buttonWidth, buttonHeight);
        button->setDefault(n == defaultIndex);
        if (n == cancelIndex)
            form->setCancelButton(button);
        x += buttonWidth + buttonSpacing;
    }
    return form.release();
}
