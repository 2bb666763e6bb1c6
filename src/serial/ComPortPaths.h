#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Where the device named "COM1" ... "COM4" lives on this machine. Tests hand in their own
// mapping to put a pseudo-terminal in a port's place.
using ComPortPaths = std::function<QString(const QByteArray& deviceName)>;

// "COM1" ... "COM4" are the first four on-board serial ports, /dev/ttyS0 ... /dev/ttyS3.
QString onBoardComPortPath(const QByteArray& deviceName);
