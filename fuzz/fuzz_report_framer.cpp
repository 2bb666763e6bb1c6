// Input reports through the report framer with the real frame decoder behind it, the way the
// reading pipeline wires them. A plain reading of the framing rule follows the same reports and
// says which frames must come out, which of them are decoded, when the stop command goes out
// and what the history shows; a frame that fails to decode must still leave the framer clean.
#include "FrameDecoding.h"
#include "link/ReportFramer.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct DecodingHost : ConnectionControls, FrameDiagnostics, ReadingTarget, ReportFramer::Cable {
    bool connectTicked() const override { return true; }
    void releaseConnectToggle() override {}
    void setConnectCaption(const QString&) override {}
    bool downloadTicked() const override { return download; }
    void setDownloadEnabled(bool) override {}
    void switchOffSamplingInterval() override {}
    void startNewRecording() override {}
    void connectionLost() override {}
    void frameClosed(const QByteArray&) override {}
    void decodeFrame(const QByteArray& frameText) override
    {
        decoded.push_back(frameText);
        decodeInto(frameText, settings, current);
    }
    void setMeasuringRange(int32_t max, int32_t min) override
    {
        settings.RangeMax = max;
        settings.RangeMin = min;
    }
    int32_t nextRecordNo() const override { return 1; }
    void sendStopCommand() override { ++stops; }
    void showFrameText(const QByteArray& frame) override { shown.push_back(frame); }
    void showMarkedFrameText(const QByteArray&) override {}
    void addHistoryLine(const QByteArray& line) override { history.push_back(line); }
    void releaseSyncHandle() override {}

    bool download = false;
    std::vector<QByteArray> decoded, shown, history;
    int stops = 0;
    DecodeSettings settings = decodingSettings();
    Reading current;
};

// What the framer must do with one closed burst, read from the frame text: the type code is
// made of positions 1, 11, 7 and 8, the end mark is "99" at positions 9 and 10.
struct ExpectedFrames {
    std::vector<QByteArray> shown, decoded;
    int stops = 0;
};

void closeBurst(const std::string& burst, bool download, ExpectedFrames& expected)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string frame;
    for (size_t i = 0; i < burst.size() && i < 11; ++i)
        frame += kHex[uint8_t(burst[i]) & 0x0F];
    if (frame.size() == 11)
        frame = frame.substr(10) + frame.substr(0, 10);  // the line's last byte comes first
    const QByteArray text(frame.data(), qsizetype(frame.size()));
    expected.shown.push_back(text);
    // AD01 is a live reading, AD07 a stored one; each is decoded only in its own mode.
    const bool whole = frame.size() == 11;
    const bool readingType = whole && frame[0] == 'A' && frame[10] == 'D' && frame[6] == '0';
    if (readingType && frame[7] == (download ? '7' : '1'))
        expected.decoded.push_back(text);
    if (download && frame.size() >= 10 && frame[8] == '9' && frame[9] == '9')
        ++expected.stops;
}

QByteArray historyLine(const uint8_t* report, size_t size)
{
    QByteArray line = "R 00  ";
    for (size_t i = 0; i < size; ++i)
        line += QByteArray::number(report[i] >> 4, 16).toUpper() + QByteArray::number(report[i] & 15, 16).toUpper() +
                ' ';
    return line;
}

}  // namespace

// Input: a flags byte (bit 0 download mode, the other bits unused), then reports, each a length
// byte (its low four bits) followed by that many report bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool download = data[0] & 1;
    ++data;
    --size;

    DecodingHost host;
    host.download = download;
    ReportFramer framer(host, host, host, host);

    ExpectedFrames expected;
    std::vector<QByteArray> history;
    std::string burst;
    bool pending = false;
    while (size > 0) {
        const size_t length = std::min<size_t>(data[0] & 0x0F, size - 1);
        const uint8_t* report = data + 1;
        data += 1 + length;
        size -= 1 + length;

        // A report whose first byte's low nibble is 1 to 9 carries that many bytes (as many
        // as it has) into the burst; any other report closes a burst in progress.
        const int carried = length > 0 ? report[0] & 0x0F : 0;
        bool closes = false;
        if (carried >= 1 && carried <= 9) {
            burst.append(reinterpret_cast<const char*>(report) + 1, std::min<size_t>(carried, length - 1));
            pending = true;
            history.push_back(historyLine(report, length));
        } else if (pending) {
            closeBurst(burst, download, expected);
            burst.clear();
            pending = false;
            closes = true;
        }

        const size_t decodedBefore = host.decoded.size();
        try {
            framer.handleReport(0, report, uint16_t(length));
        } catch (const ProgramError&) {
            // Only a frame that was decoded just now may fail, and the framer is ready for the
            // next one all the same.
            check(closes && host.decoded.size() == decodedBefore + 1);
        }
        check(framer.burstPending() == pending);
        // The framer keeps no more of a burst than the eleven bytes a frame is made of.
        check(framer.burstHex().size() == qsizetype(2 * std::min<size_t>(burst.size(), 11)));
    }

    check(host.shown == expected.shown);
    check(host.decoded == expected.decoded);
    check(host.stops == expected.stops);
    check(host.history == history);
    return 0;
}
