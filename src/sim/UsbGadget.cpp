#include "sim/UsbGadget.h"

#include <QDir>
#include <QFile>
#include <stdexcept>
#include <unistd.h>

namespace {

const QString kGadgets = QStringLiteral("/sys/kernel/config/usb_gadget/");

void writeAttribute(const QString& path, const QByteArray& value)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(value) != value.size() || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

void makeFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error("cannot make " + path.toStdString());
}

QByteArray hex(uint16_t value)
{
    return "0x" + QByteArray::number(value, 16).rightJustified(4, '0');
}

}  // namespace

UsbGadget::UsbGadget(const QByteArray& name, const Identity& identity, const HidFunction& function)
    : m_folder(kGadgets + QString::fromUtf8(name))
{
    const QStringList controllers = QDir(QStringLiteral("/sys/class/udc")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (controllers.isEmpty())
        throw std::runtime_error("no USB device controller (is dummy_hcd loaded?)");
    m_controller = controllers.front().toUtf8();
    try {
        makeFolder(m_folder);
        writeAttribute(m_folder + "/idVendor", hex(identity.vendorId));
        writeAttribute(m_folder + "/idProduct", hex(identity.productId));
        writeAttribute(m_folder + "/bcdDevice", hex(identity.deviceVersion));
        writeAttribute(m_folder + "/bcdUSB", hex(0x0200));
        makeFolder(m_folder + "/strings/0x409");
        writeAttribute(m_folder + "/strings/0x409/product", identity.product);
        makeFolder(m_folder + "/configs/c.1");
        writeAttribute(m_folder + "/configs/c.1/MaxPower", "100");
        const QString hid = m_folder + "/functions/hid.cable";
        makeFolder(hid);
        writeAttribute(hid + "/protocol", "0");
        writeAttribute(hid + "/subclass", "0");
        writeAttribute(hid + "/report_length", QByteArray::number(function.longestReport));
        writeAttribute(hid + "/report_desc", function.reportDescriptor);
        // With an OUT endpoint the function stalls feature reports; without one, output and
        // feature reports both come as control requests.
        writeAttribute(hid + "/no_out_endpoint", "1");
        if (::symlink(QFile::encodeName(hid).constData(), QFile::encodeName(m_folder + "/configs/c.1/hid.cable").constData()) != 0)
            throw std::runtime_error("cannot add the HID function to the configuration");
        QFile dev(hid + "/dev");
        if (!dev.open(QIODevice::ReadOnly))
            throw std::runtime_error("the HID function has no device number");
        const QByteArray number = dev.readAll().trimmed();
        m_functionFile = QStringLiteral("/dev/hidg") + QString::fromLatin1(number.mid(number.indexOf(':') + 1));
        writeAttribute(m_folder + "/UDC", m_controller);
    } catch (...) {
        remove();
        throw;
    }
}

UsbGadget::~UsbGadget()
{
    remove();
}

// configfs takes the gadget apart only in the reverse order of making it.
void UsbGadget::remove()
{
    QFile udc(m_folder + "/UDC");
    if (udc.open(QIODevice::WriteOnly))
        udc.write("\n");
    udc.close();
    ::unlink(QFile::encodeName(m_folder + "/configs/c.1/hid.cable").constData());
    for (const char* folder : {"/configs/c.1", "/functions/hid.cable", "/strings/0x409", ""})
        ::rmdir(QFile::encodeName(m_folder + QString::fromLatin1(folder)).constData());
}
