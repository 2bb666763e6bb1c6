#include "base/MulDiv.h"
#include "dialogs/NewMsgDlg.h"
#include "dialogs/TMessageForm.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

const QString kLongText = QStringLiteral(
    "The connection to the instrument was lost because no data arrived for a long time. Check the cable, switch "
    "the thermometer on and press Connect again; the readings recorded so far are kept in the table.");

QFont fontOfPixels(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

// The layout measures, worked out from the font as the dialog's design states them.
struct Measures {
    int avgCharWidth, charHeight;
    int horzMargin, vertMargin, horzSpacing, vertSpacing, minButtonWidth, buttonHeight, buttonSpacing;
};

Measures measuresOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    Measures m{};
    m.avgCharWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    m.charHeight = metrics.height();
    m.horzMargin = MulDiv(8, m.avgCharWidth, 4);
    m.vertMargin = MulDiv(8, m.charHeight, 8);
    m.horzSpacing = MulDiv(10, m.avgCharWidth, 4);
    m.vertSpacing = MulDiv(10, m.charHeight, 8);
    m.minButtonWidth = MulDiv(50, m.avgCharWidth, 4);
    m.buttonHeight = MulDiv(14, m.charHeight, 8);
    m.buttonSpacing = MulDiv(4, m.avgCharWidth, 4);
    return m;
}

QSize screenSize()
{
    return QGuiApplication::primaryScreen()->geometry().size();
}

QSize textSize(const QFont& font, const QString& text)
{
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, screenSize().width() / 2, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, text + QChar(0))
        .size();
}

// The form's push buttons, in the order the form added them.
QList<QPushButton*> buttonsOf(const TMessageForm& form)
{
    return form.findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
}

std::vector<int> widthsOf(const TMessageForm& form)
{
    std::vector<int> widths;
    for (const QPushButton* button : buttonsOf(form))
        widths.push_back(button->width());
    return widths;
}

// Runs the dialog modally, does `act` on it once it is up and gives the dialog's result.
void answerWith(MessageButtons buttons, const std::function<void(TMessageForm&)>& act, int32_t& result)
{
    QPointer<TMessageForm> shown;
    QTimer::singleShot(0, [&] {
        shown = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
        QVERIFY(shown);
        act(*shown);
        if (shown->isVisible())
            shown->done(-1);  // the actions left it open: fail rather than hang
    });
    result = ShowWideMessage(QStringLiteral("Question?"), MessageKind::Confirmation, buttons, 0);
    QVERIFY2(!shown, "the form outlived the call");
}

}  // namespace

class MessageDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("TQ-612"));
        QApplication::setFont(fontOfPixels(12), "QMessageBoxLabel");
    }

    void layoutFollowsTheFontMetrics_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("caption");
        using namespace MessageButton;
        QTest::newRow("warning, short text") << 0 << "abc" << int(OK) << "Warning";
        QTest::newRow("confirmation, long text") << 3 << kLongText << int(Yes | No) << "Confirm";
        QTest::newRow("custom kind has no icon") << 4 << "abc" << int(OK) << "TQ-612";
        QTest::newRow("error, every button") << 1 << "x" << 0x7FF << "Error";
        QTest::newRow("information, no button") << 2 << "abc" << 0 << "Information";
        QTest::newRow("bits 11 to 15 ignored") << 2 << "abc" << (0xF800 | OK) << "Information";
    }

    void layoutFollowsTheFontMetrics()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, buttons);
        QFETCH(QString, caption);
        const std::unique_ptr<TMessageForm> form(BuildMessageForm(text, MessageKind(kind), MessageButtons(buttons)));
        const Measures m = measuresOf(fontOfPixels(12));
        const QSize textExtent = textSize(fontOfPixels(12), text);
        const bool hasIcon = kind != 4;

        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(form->font().pixelSize(), 12);
        QVERIFY(!form->isVisible());

        const int iconTextWidth = textExtent.width() + (hasIcon ? 32 + m.horzSpacing : 0);
        const int iconTextHeight = hasIcon ? std::max(textExtent.height(), 32) : textExtent.height();
        QCOMPARE(form->message()->geometry(),
                 QRect(iconTextWidth - textExtent.width() + m.horzMargin, m.vertMargin, textExtent.width(),
                       textExtent.height()));
        QCOMPARE(form->message()->text(), text);
        QVERIFY(form->message()->wordWrap());
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Image")) != nullptr, hasIcon);
        if (hasIcon) {
            QCOMPARE(form->image()->geometry(), QRect(m.horzMargin, m.vertMargin, 32, 32));
            QCOMPARE(form->image()->pixmap().size(), QSize(32, 32));
        }

        const int count = qPopulationCount(quint16(buttons & 0x7FF));
        QCOMPARE(int(buttonsOf(*form).size()), count);
        int buttonWidth = m.minButtonWidth;
        for (int n = 0; n < 11; ++n)
            if (buttons & (1 << n))
                buttonWidth = std::max(buttonWidth, ButtonCaptionWidths()[n]);
        const int groupWidth = count == 0 ? 0 : count * buttonWidth + (count - 1) * m.buttonSpacing;
        const QSize client(std::max(iconTextWidth, groupWidth) + 2 * m.horzMargin,
                           iconTextHeight + m.buttonHeight + m.vertSpacing + 2 * m.vertMargin);
        QCOMPARE(form->minimumSize(), client);
        QCOMPARE(form->maximumSize(), client);
        QCOMPARE(form->pos(), QPoint(screenSize().width() / 2 - client.width() / 2,
                                     screenSize().height() / 2 - client.height() / 2));

        int x = (client.width() - groupWidth) / 2;
        for (const QPushButton* button : buttonsOf(*form)) {
            QCOMPARE(button->geometry(),
                     QRect(x, iconTextHeight + m.vertMargin + m.vertSpacing, buttonWidth, m.buttonHeight));
            x += buttonWidth + m.buttonSpacing;
        }
        for (const QWidget* child : form->findChildren<QWidget*>())
            QVERIFY2(QRect(QPoint(), client).contains(child->geometry()), qPrintable(child->objectName()));
    }

    void longTextWrapsAtHalfTheScreenAndShortTextKeepsTheIconHeight()
    {
        const std::unique_ptr<TMessageForm> wrapped(
            BuildMessageForm(kLongText, MessageKind::Warning, MessageButton::OK));
        const QFontMetrics metrics(fontOfPixels(12));
        QVERIFY(metrics.horizontalAdvance(kLongText) > screenSize().width() / 2);
        QVERIFY(wrapped->message()->width() <= screenSize().width() / 2);
        QVERIFY(wrapped->message()->height() >= 2 * metrics.height());

        const std::unique_ptr<TMessageForm> oneLine(BuildMessageForm("abc", MessageKind::Warning, MessageButton::OK));
        const Measures m = measuresOf(fontOfPixels(12));
        QVERIFY(oneLine->message()->height() < 32);
        QCOMPARE(buttonsOf(*oneLine).front()->y(), m.vertMargin + 32 + m.vertSpacing);
    }

    void everyButtonHasItsNameCaptionAndResult()
    {
        struct Row {
            const char* name;
            const char* caption;
            int result;
        };
        const Row rows[] = {{"Yes", "&Yes", 6},         {"No", "&No", 7},          {"OK", "OK", 1},
                            {"Cancel", "Cancel", 2},    {"Abort", "&Abort", 3},    {"Retry", "&Retry", 4},
                            {"Ignore", "&Ignore", 5},   {"All", "&All", 8},        {"NoToAll", "N&o to All", 9},
                            {"YesToAll", "Yes to &All", 10}, {"Help", "&Help", 0}};
        const std::unique_ptr<TMessageForm> form(BuildMessageForm("x", MessageKind::Error, 0x7FF));
        const QList<QPushButton*> buttons = buttonsOf(*form);
        QCOMPARE(int(buttons.size()), 11);
        const std::vector<int> widths = widthsOf(*form);
        QVERIFY(std::all_of(widths.begin(), widths.end(), [&](int w) { return w == widths.front(); }));
        for (int n = 0; n < 11; ++n) {
            QPushButton* button = buttons[n];
            QCOMPARE(button->objectName(), QString::fromLatin1(rows[n].name));
            QCOMPARE(button->text(), QString::fromLatin1(rows[n].caption));
            QVERIFY(widths.front() >= ButtonCaptionWidths()[n]);
            QVERIFY(ButtonCaptionWidths()[n] > 8);
            if (n > 0)
                QVERIFY(button->x() > buttons[n - 1]->x());
            form->setResult(-1);
            QSignalSpy finished(form.get(), &QDialog::finished);
            button->click();
            QCOMPARE(finished.count(), rows[n].result == 0 ? 0 : 1);
            if (rows[n].result != 0)
                QCOMPARE(form->result(), rows[n].result);
        }
    }

    void defaultAndCancelButtons_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("cancelButton");
        using namespace MessageButton;
        QTest::newRow("OK") << int(OK) << "OK" << "OK";
        QTest::newRow("Yes No") << int(Yes | No) << "Yes" << "No";
        QTest::newRow("Yes No OK Cancel") << int(Yes | No | OK | Cancel) << "OK" << "Cancel";
        QTest::newRow("Retry Cancel") << int(Retry | Cancel) << "Retry" << "Cancel";
        QTest::newRow("Abort Ignore") << int(Abort | Ignore) << "" << "";
    }

    void defaultAndCancelButtons()
    {
        QFETCH(int, buttons);
        QFETCH(QString, defaultButton);
        QFETCH(QString, cancelButton);
        const std::unique_ptr<TMessageForm> form(BuildMessageForm("x", MessageKind::Confirmation, buttons));
        QStringList defaults;
        for (const QPushButton* button : buttonsOf(*form))
            if (button->isDefault())
                defaults << button->objectName();
        QCOMPARE(defaults.join(','), defaultButton);
        // Escape clicks the cancel button, if there is one.
        QString clicked;
        for (QPushButton* button : buttonsOf(*form))
            QObject::connect(button, &QPushButton::clicked, form.get(), [&clicked, button] { clicked = button->objectName(); });
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QCOMPARE(clicked, cancelButton);
    }

    void keysAndCloseBoxGiveTheResult_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");
        using namespace MessageButton;
        QTest::newRow("OK: Enter") << int(OK) << "enter" << 1;
        QTest::newRow("OK: Escape") << int(OK) << "escape" << 1;
        QTest::newRow("OK: close box") << int(OK) << "close" << 2;
        QTest::newRow("Yes No: Enter") << int(Yes | No) << "enter" << 6;
        QTest::newRow("Yes No: Escape") << int(Yes | No) << "escape" << 7;
        QTest::newRow("Yes No: close box") << int(Yes | No) << "close" << 2;
        QTest::newRow("Yes No: Enter on focused No") << int(Yes | No) << "focus No, enter" << 7;
        QTest::newRow("no button: Escape and Enter do nothing") << 0 << "escape, enter, close" << 2;
        QTest::newRow("Abort: Escape does nothing") << int(Abort) << "escape, close" << 2;
        QTest::newRow("Help stays open") << int(Help | OK) << "click Help, escape" << 1;
    }

    void keysAndCloseBoxGiveTheResult()
    {
        QFETCH(int, buttons);
        QFETCH(QString, action);
        QFETCH(int, expected);
        int32_t result = 0;
        answerWith(buttons, [&](TMessageForm& form) {
            for (const QString& step : action.split(QStringLiteral(", "))) {
                QVERIFY2(form.isVisible(), qPrintable(step));
                QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
                if (step == "enter")
                    QTest::keyClick(target, Qt::Key_Return);
                else if (step == "escape")
                    QTest::keyClick(target, Qt::Key_Escape);
                else if (step == "close")
                    form.close();
                else if (step == "focus No")
                    form.findChild<QPushButton*>(QStringLiteral("No"))->setFocus();
                else if (step == "click Help")
                    form.findChild<QPushButton*>(QStringLiteral("Help"))->click();
            }
        }, result);
        QCOMPARE(result, expected);
    }

    void positionIsSetPerAxis()
    {
        QPoint seen;
        QTimer::singleShot(0, [&] {
            QWidget* form = QApplication::activeModalWidget();
            seen = form->pos();
            form->close();
        });
        ShowWideMessageAt("abc", MessageKind::Information, MessageButton::OK, 0, 10, -1, QString());
        const std::unique_ptr<TMessageForm> centred(
            BuildMessageForm("abc", MessageKind::Information, MessageButton::OK));
        QCOMPARE(seen, QPoint(10, centred->y()));
    }

    void copyTextListsCaptionMessageAndButtons()
    {
        const std::unique_ptr<TMessageForm> form(BuildMessageForm("abc", MessageKind::Warning, MessageButton::OK));
        const QString rule(27, '-');
        const QString expected = rule + "\r\nWarning\r\n" + rule + "\r\nabc\r\n" + rule + "\r\nOK   \r\n" + rule + "\r\n";
        QCOMPARE(form->copyText(), expected);

        const std::unique_ptr<TMessageForm> yesNo(
            BuildMessageForm("Go?", MessageKind::Confirmation, MessageButton::Yes | MessageButton::No));
        QVERIFY(yesNo->copyText().contains("\r\nYes   No   \r\n"));
    }

    void ctrlCCopiesOnlyWithExactlyCtrl()
    {
        const std::unique_ptr<TMessageForm> form(BuildMessageForm("abc", MessageKind::Warning, MessageButton::OK));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QWidget* focused = form->focusWidget();
        QVERIFY(focused);
        QClipboard* clipboard = QGuiApplication::clipboard();

        clipboard->setText("before");
        QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(focused, Qt::Key_C);
        QCOMPARE(clipboard->text(), QStringLiteral("before"));

        QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), form->copyText());
        QVERIFY(form->isVisible());
    }

    void captionWidthsAreMeasuredOnceAndReusedInAnotherFont()
    {
        const MessageButtons yesToAll = MessageButton::YesToAll;
        const std::unique_ptr<TMessageForm> first(BuildMessageForm("x", MessageKind::Information, yesToAll));
        const int cached = ButtonCaptionWidths()[9];
        QCOMPARE(cached, QFontMetrics(fontOfPixels(12)).horizontalAdvance("Yes to All") + 8);

        QApplication::setFont(fontOfPixels(6), "QMessageBoxLabel");
        const std::unique_ptr<TMessageForm> small(BuildMessageForm("x", MessageKind::Information, yesToAll));
        QApplication::setFont(fontOfPixels(12), "QMessageBoxLabel");
        QCOMPARE(ButtonCaptionWidths()[9], cached);
        QVERIFY(measuresOf(fontOfPixels(6)).minButtonWidth < cached);
        QCOMPARE(buttonsOf(*small).front()->width(), cached);
    }

    void rightToLeftMirrorsIconAndText()
    {
        QGuiApplication::setLayoutDirection(Qt::RightToLeft);
        const std::unique_ptr<TMessageForm> form(
            BuildMessageForm("This message is wider than its button.", MessageKind::Warning, MessageButton::OK));
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
        const Measures m = measuresOf(fontOfPixels(12));
        QCOMPARE(form->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(form->image()->geometry().right(), form->width() - m.horzMargin - 1);
        QCOMPARE(form->message()->x(), m.horzMargin);
        QVERIFY(!form->message()->geometry().intersects(form->image()->geometry()));
    }
};

QTEST_MAIN(MessageDialogTest)
#include "MessageDialogTest.moc"
