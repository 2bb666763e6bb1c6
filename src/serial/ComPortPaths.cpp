#include "serial/ComPortPaths.h"

QString onBoardComPortPath(const QByteArray& deviceName)
{
    const int number = deviceName.mid(3).toInt();
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}
