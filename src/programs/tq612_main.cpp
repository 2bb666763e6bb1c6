#include "app/ProgramCommandLine.h"
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "dialogs/ScreenMessages.h"
#include "font/LcdFont.h"
#include "journal/RecordingJournal.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const ProgramCommandLine commandLine(ProgramCommandLine::Program::Instrument,
                                         ProgramCommandLine::argumentsOf(argc, argv));
    const QString journalFolder = RecordingJournal::defaultFolder();
    if (commandLine.action() != ProgramCommandLine::Action::Run)
        return commandLine.answer(journalFolder, stdout, stderr);
    TqApplication app(argc, argv, screenMessages());
    registerLcdFont();
    TFCOMM window(screenMessages(), {}, onBoardComPortPath, journalFolder);
    window.show();
    window.restoreUnsavedRecording();
    return app.exec();
}
