#include "ErrorReport.h"
#include "TFCOMM.h"

int main(int argc, char** argv)
{
    TqApplication app(argc, argv);
    TFCOMM window;
    window.show();
    return app.exec();
}
