#pragma once

#include <cstdint>

// The serial port component's property types, in the order their ordinals carry meaning:
// the port number is the digit after "COM" less one, the data bits are the ordinal plus five.

enum TComPortNumber : uint8_t { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };

enum TComPortBaudRate : uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600, br115200
};

enum TComPortDataBits : uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };

enum TComPortStopBits : uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };

enum TComPortParity : uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };

enum TComPortHwHandshaking : uint8_t { hhNONE, hhRTSCTS };

enum TComPortSwHandshaking : uint8_t { shNONE, shXONXOFF };

// Bits per second: the number in the rate's name.
constexpr int32_t baudRateNumber(TComPortBaudRate rate)
{
    constexpr int32_t kNumbers[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    return kNumbers[rate];
}
