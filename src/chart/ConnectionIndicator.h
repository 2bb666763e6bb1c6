#pragma once

// Blinks once per display frame that arrives, to show that the instrument is talking.
class ConnectionIndicator {
public:
    virtual ~ConnectionIndicator() = default;
    virtual void toggleConnectionIndicator() = 0;
    // The connection has ended: the light shows "not connected", whichever way the last frame
    // left it.
    virtual void showNotConnected() = 0;
};
