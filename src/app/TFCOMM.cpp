#include "TFCOMM.h"

TFCOMM::TFCOMM(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FCOMM"));
    setWindowTitle(QStringLiteral("TQ-612 Interface Program Ver1.02"));
}
