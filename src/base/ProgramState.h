#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

class THidDevice;

// The variables the main window's handlers share. One instance lives in the main window
// and is touched only on the GUI thread; reader threads hand their data over instead.
// Texts are 8-bit byte strings, as the instrument and the files carry them.
struct ProgramState {
    // Report framing and decoding
    QByteArray FrameText;
    QByteArray BurstHex;
    bool BurstPending = false;
    int32_t ReportCount = 0;
    int32_t IdleTicks = 0;
    int32_t WatchdogTicks = 0;
    int32_t RangeMax = 0;
    int32_t RangeMin = 0;
    QByteArray SerialHexText;

    // Current reading
    QByteArray ReadingText;
    float ReadingValue = 0.0f;
    QByteArray UnitSymbol;

    // Recording
    QByteArray TimeText;
    float UpperLimit = 0.0f;
    float LowerLimit = 0.0f;
    int32_t RecordNo = 0;
    int32_t RowCount = 0;
    int32_t RecordLimit = 0;
    int32_t SampleTick = 0;
    double StartTime = 0.0;  // days since 1899-12-30, fraction = time of day

    // Dial gauge
    std::array<int32_t, 4> NeedleOld{};
    QByteArray GaugeText;
    int32_t GaugeParam1 = 0;
    int32_t GaugeValue = 0;
    int32_t GaugeScaleMax = 0;
    uint8_t GaugePercentMode = 0;
    std::array<int32_t, 4> GaugeSavedBounds{};

    // Fields of the main window object
    bool Printing = false;  // the report preview is open
    QByteArray DecimalText;
    double PeakValue = 0.0;
    THidDevice* CurrentDevice = nullptr;  // owned by the device list
};
