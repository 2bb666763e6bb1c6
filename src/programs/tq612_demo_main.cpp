#include "ErrorReport.h"
#include "LcdFont.h"
#include "TFCOMM.h"

int main(int argc, char** argv)
{
    TqApplication app(argc, argv);
    registerLcdFont();
    TFCOMM window;
    window.show();
    return app.exec();
}
