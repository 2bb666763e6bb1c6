#pragma once

#include "base/FileSystem.h"

#include <QDate>
#include <QImage>
#include <QLocale>
#include <QString>

#include <functional>

class UserMessages;

// The date stamp's place: this far left of the chart's right edge and down from its top.
constexpr int kDateStampFromRight = 130;
constexpr int kDateStampFromTop = 6;

// A copy of the chart picture with the date text drawn on it in blue, without a background,
// its top left corner at (width - kDateStampFromRight, kDateStampFromTop).
QImage stampedWithDate(const QImage& chart, const QString& dateText);

// Saving the chart as a picture stamped with today's date, from the chart tool bar's save
// button, in the type the chosen name asks for (see writeChartPicture). The chart without the
// stamp also goes to the clipboard, so it can be pasted elsewhere.
class ChartPictureSaver {
public:
    // What the saver reaches around it; every one is called on the GUI thread.
    struct Ports {
        // Shows the picture dialog with the proposed name; the chosen name, or "" when cancelled.
        std::function<QString(const QString& proposedName)> askFileName;
        // The chart as it is laid out on screen, at its current size, on white.
        std::function<QImage()> renderChart;
        std::function<void(const QImage&)> putOnClipboard;
        std::function<QDate()> today;
        QLocale locale;  // whose short date format the stamp uses
    };

    // The messages say where the picture went; the file goes through `files`.
    ChartPictureSaver(Ports ports, UserMessages& messages, const FileSystem& files = systemFileSystem());

    // Asks for the name, then renders, copies, stamps and writes the picture and says where it
    // went. A failed write throws ProgramError and says nothing of success.
    void save() const;

private:
    Ports m_ports;
    UserMessages& m_messages;
    const FileSystem& m_files;
};
