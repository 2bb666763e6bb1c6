#pragma once

#include "base/LinkPorts.h"

#include <QByteArray>

// What the serial link asks of the window around it. All called on the GUI thread only.

// The serial controls of the diagnostic panel.
class SerialPanelControls {
public:
    virtual ~SerialPanelControls() = default;

    virtual bool serialToggleDown() const = 0;  // COMCon is down
    // Connected: BTCon hidden, BtDiscon shown, the port panels BtCOM1 ... BtCOM4 disabled;
    // disconnected the other way round.
    virtual void showSerialConnected(bool connected) = 0;
    virtual void showFrameText(const QByteArray& frame) = 0;  // USBtxt
};

// The hidden Connect menu.
class SerialMenuItems {
public:
    virtual ~SerialMenuItems() = default;

    // Connected: START1 checked and disabled, STOP1 enabled and unchecked; disconnected the
    // other way round.
    virtual void markSerialConnected(bool connected) = 0;
};

// The panels a serial link talks to; each must outlive the link.
struct SerialLinkPorts {
    SerialPanelControls& panel;
    SerialMenuItems& menu;
    ReadingTarget& readings;
    UserMessages& messages;
};
