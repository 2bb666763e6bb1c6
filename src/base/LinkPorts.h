#pragma once

#include "base/UserMessages.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// What both links to the instrument, the USB cable and the serial port, ask of the program
// around them. Called on the GUI thread only.

// The reading side: where a frame becomes a reading and a row.
class ReadingTarget {
public:
    virtual ~ReadingTarget() = default;

    // Every frame a link closes becomes the last frame, FrameText, whether or not it is decoded.
    virtual void frameClosed(const QByteArray& frameText) = 0;
    virtual void decodeFrame(const QByteArray& frameText) = 0;  // onto the LCD panel and into the record; may throw
    // A model frame named the instrument: the range an overload shows as its value.
    virtual void setMeasuringRange(int32_t max, int32_t min) = 0;
    virtual int32_t nextRecordNo() const = 0;                   // the No the next recorded reading takes
    virtual void switchOffSamplingInterval() = 0;               // unticks RecordSI, so every stored reading is kept
    virtual void startNewRecording() = 0;                       // empties the table and the chart, numbering from 1
    virtual void connectionLost() = 0;                          // no more frames come: the connection light goes out
    // Rows recorded since the last save that nothing but the table keeps, while the journal cannot write.
    virtual int64_t unkeptRows() const { return 0; }
};
