#pragma once

#include "AnsweredMessages.h"
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "chart/TChartControl.h"
#include "display/DialGauge.h"
#include "display/LimitSettings.h"
#include "font/LcdFont.h"
#include "link/CableConnection.h"
#include "NamedControl.h"
#include "record/MeasurementTable.h"
#include "record/Recorder.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"

#include <QString>
#include <QStringList>
#include <QtTest>

// A display frame as the USB framer closes it: the line feed's "A", the status
// digit, the four display digits, then digits the decoder does not read.
inline QByteArray displayFrame(char status, const QByteArray& digits)
{
    return QByteArray("A") + status + digits + "0000";
}

inline void receiveFrame(TFCOMM& window, const QByteArray& frame)
{
    window.session().readings().frameClosed(frame);
    window.LcdDisplay81(1);
}

// Readings that differ from one to the next, so the Repeat filter never matters.
inline void receiveReadings(TFCOMM& window, int count)
{
    for (int i = 0; i < count; ++i)
        receiveFrame(window, displayFrame('1', QByteArray::number(1000 + i % 900)));
}

// The one set of answered dialogs of a window test program: the application's error report
// and every window the tests make show their messages through it.
inline AnsweredMessages& windowDialogs()
{
    static AnsweredMessages dialogs;
    return dialogs;
}

// The window dialogs with nothing shown yet, answering message dialogs with messageAnswer.
inline AnsweredMessages& freshAnswers(int32_t messageAnswer = 1)
{
    windowDialogs().reset(messageAnswer);
    return windowDialogs();
}

// Window tests run under the program's own application object, so a failure that escapes a
// handler reaches the standard error report as it does in the program.
#define TQ612_WINDOW_TEST_MAIN(TestObject)                                                                    \
    int main(int argc, char** argv)                                                                           \
    {                                                                                                         \
        TqApplication app(argc, argv, windowDialogs());                                                       \
        registerLcdFont();                                                                                    \
        TestObject test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                               \
    }
