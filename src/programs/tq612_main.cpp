#include "app/ProgramCommandLine.h"
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "dialogs/MessageDialogs.h"
#include "font/LcdFont.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const ProgramCommandLine commandLine(ProgramCommandLine::Program::Instrument,
                                         ProgramCommandLine::argumentsOf(argc, argv));
    if (commandLine.action() != ProgramCommandLine::Action::Run)
        return commandLine.answer(stdout, stderr);
    TqApplication app(argc, argv, screenDialogs());
    registerLcdFont();
    TFCOMM window(screenDialogs());
    window.show();
    return app.exec();
}
