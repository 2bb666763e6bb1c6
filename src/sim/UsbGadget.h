#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A USB gadget with one HID function, set up through configfs and bound to a USB device
// controller, so that the host side of the same machine (through dummy_hcd) or another one sees
// a USB device with this identity. Removed again when the object goes.
class UsbGadget {
public:
    struct Identity {
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        uint16_t deviceVersion = 0x0100;
        QByteArray product;  // no manufacturer and no serial number strings
    };
    struct HidFunction {
        QByteArray reportDescriptor;
        uint16_t longestReport = 0;  // without report ID
    };

    // name: the gadget's folder under configfs's usb_gadget. Throws std::runtime_error naming
    // the step that failed; what was made up to then is removed.
    UsbGadget(const QByteArray& name, const Identity& identity, const HidFunction& function);
    ~UsbGadget();
    UsbGadget(const UsbGadget&) = delete;
    UsbGadget& operator=(const UsbGadget&) = delete;

    // The gadget's configfs folder, whose UDC file binds ("" unbinds: the device is unplugged).
    QString folder() const { return m_folder; }
    QByteArray controller() const { return m_controller; }
    // The function's file on this side, /dev/hidgN.
    QString functionFile() const { return m_functionFile; }

private:
    void remove();

    QString m_folder;
    QByteArray m_controller;
    QString m_functionFile;
};
