// Records fast into a journal until it is killed: a session with no window gets a new frame
// every two milliseconds, its reading climbing fast, and prints each row on stdout once the
// session has handed it to the journal.
#include "AnsweredMessages.h"
#include "ScreenlessPanels.h"
#include "session/MeasurementSession.h"
#include "session/ReadingPipeline.h"
#include "sim/SimulatedHidBackend.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: journal_crash_child JOURNAL-FOLDER\n");
        return 2;
    }
    AnsweredMessages messages;
    ScreenlessPanels panels;
    MeasurementSession session(panels.ports(messages), std::make_shared<SimulatedHidBackend>(), {},
                               QString::fromLocal8Bit(argv[1]));
    session.recorder().setLimit(10000000);
    int step = 0;
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, &session, [&] {
        // Status 1: Celsius with one decimal; four digits that change with every frame.
        session.readings().frameClosed("A1" + QByteArray::number(1000 + step++ % 8000) + "0100D");
        session.decodeFrameText();
        const MeasurementTable& table = session.table();
        std::printf("%s\n", rowText(table, table.rowCount() - 1).constData());
        std::fflush(stdout);
    });
    frames.start(2);
    return app.exec();
}
