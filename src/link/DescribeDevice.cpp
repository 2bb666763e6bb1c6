#include "link/DescribeDevice.h"

#include "link/HidDevice.h"

namespace {

QByteArray hex4(uint16_t value)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
}

}  // namespace

QByteArray DescribeDevice(THidDevice& device)
{
    const QString product = device.ProductString();
    QByteArray text = !product.isEmpty()
                          ? product.toLocal8Bit()
                          : "Device VID=" + hex4(device.VendorID()) + " PID=" + hex4(device.ProductID());
    const QString serial = device.SerialString();
    if (!serial.isEmpty())
        text += " (Serial=" + serial.toLocal8Bit() + ")";
    return text;
}
