#pragma once

// Blinks once per display frame that arrives, to show that the instrument is talking.
class ConnectionIndicator {
public:
    virtual ~ConnectionIndicator() = default;
    virtual void toggleConnectionIndicator() = 0;
};
