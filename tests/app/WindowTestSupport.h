#pragma once

#include "ErrorReport.h"
#include "LcdFont.h"
#include "MeasurementTable.h"
#include "TChartControl.h"
#include "NamedControl.h"
#include "NewMsgDlg.h"
#include "PlatformMessageBox.h"
#include "TFCOMM.h"

#include <QString>
#include <QStringList>
#include <QtTest>

// A display frame as the USB framer leaves it in FrameText: the line feed's "A", the status
// digit, the four display digits, then digits the decoder does not read.
inline QByteArray displayFrame(char status, const QByteArray& digits)
{
    return QByteArray("A") + status + digits + "0000";
}

inline void receiveFrame(TFCOMM& window, const QByteArray& frame)
{
    window.state().FrameText = frame;
    window.LcdDisplay81(1);
}

// Readings that differ from one to the next, so the Repeat filter never matters.
inline void receiveReadings(TFCOMM& window, int count)
{
    for (int i = 0; i < count; ++i)
        receiveFrame(window, displayFrame('1', QByteArray::number(1000 + i % 900)));
}

// Every platform message box and every message dialog is answered here and remembered.
// Message dialogs get messageAnswer; shown holds the texts of both kinds in the order shown.
struct AnsweredMessages {
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
    int32_t messageAnswer = 1;
    std::function<int(const Box&)> answerBox = [](const Box&) { return int(PlatformMessageBox::IDOK); };

    explicit AnsweredMessages(int32_t answer = 1) : messageAnswer(answer)
    {
        PlatformMessageBox::setAnswererForTests([this](const QString& text, const QString& caption, unsigned flags) {
            boxes.append({text, caption, flags});
            shown.append(text);
            return answerBox(boxes.back());
        });
        setWideMessageAnswererForTests([this](const QString& text, MessageKind kind, MessageButtons buttons) {
            messages.append({text, kind, buttons});
            shown.append(text);
            return messageAnswer;
        });
    }
    ~AnsweredMessages()
    {
        PlatformMessageBox::setAnswererForTests({});
        setWideMessageAnswererForTests({});
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

// Window tests run under the program's own application object, so a failure that escapes a
// handler reaches the standard error report as it does in the program.
#define TQ612_WINDOW_TEST_MAIN(TestObject)                                                                    \
    int main(int argc, char** argv)                                                                           \
    {                                                                                                         \
        TqApplication app(argc, argv);                                                                        \
        registerLcdFont();                                                                                    \
        TestObject test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                               \
    }
