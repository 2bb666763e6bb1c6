#pragma once

struct DecodedFrame;

// Where a decoded frame is shown: the on-screen copy of the instrument's LCD.
class FrameDisplay {
public:
    virtual ~FrameDisplay() = default;

    virtual void show(const DecodedFrame& frame) = 0;
};
