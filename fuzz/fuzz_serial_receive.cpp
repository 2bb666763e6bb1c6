// Bytes from the serial line through the link's receive handler, cut into blocks as the port
// delivers them, with the real frame decoder behind it. A plain reading of the framing rule
// follows the same bytes and says which frames must be decoded, what the last frame and the
// pending text hold after each block, and where a frame that fails to decode ends its block.
#include "FrameDecoding.h"
#include "serial/SerialDriver.h"
#include "serial/SerialLink.h"

#include <QCoreApplication>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct DecodingReadings : ReadingTarget {
    void frameClosed(const QByteArray& frame) override { frameText = frame; }
    void decodeFrame(const QByteArray& frame) override
    {
        decoded.push_back(frame);
        decodeInto(frame, settings, current);
    }
    void setMeasuringRange(int32_t, int32_t) override {}
    int32_t nextRecordNo() const override { return 1; }
    void switchOffSamplingInterval() override {}
    void startNewRecording() override {}
    void connectionLost() override {}

    DecodeSettings settings = decodingSettings();
    Reading current;
    QByteArray frameText;
    std::vector<QByteArray> decoded;
};

struct QuietPanel : SerialPanelControls {
    bool serialToggleDown() const override { return false; }
    void showSerialConnected(bool) override {}
    void showFrameText(const QByteArray& frame) override { last = frame; }
    QByteArray last;
};

struct QuietMenu : SerialMenuItems {
    void markSerialConnected(bool) override {}
};

struct QuietMessages : UserMessages {
    MessageAnswer askInBox(const QString&, const QString&, MessageChoices, MessageTone) override
    {
        return MessageAnswer::Cancel;
    }
    MessageAnswer askInDialog(const QString&, MessageTone, MessageChoices) override { return MessageAnswer::Ok; }
};

// Whether the real decoder refuses the frame, as the link's decoder would.
bool failsToDecode(const QByteArray& frameText)
{
    Reading scratch;
    try {
        decodeInto(frameText, decodingSettings(), scratch);
    } catch (const ProgramError&) {
        return true;
    }
    return false;
}

}  // namespace

// Input: a byte giving the block size (1 to 256), then the bytes of the line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_serial_receive";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    const size_t blockSize = size_t(data[0]) + 1;
    ++data;
    --size;

    // The handler does not touch the port, which is made once: it is the costly part.
    static TSerialPortDriver port(nullptr, [](const QByteArray&) { return QStringLiteral("/nonexistent"); });
    DecodingReadings readings;
    QuietPanel panel;
    QuietMenu menu;
    QuietMessages messages;
    SerialLink link(port, {panel, menu, readings, messages});

    // The rule: each byte's low nibble is one digit; a carriage return ends the text, which is
    // decoded when it starts with the line feed's A and has the carriage return's D as its
    // eleventh digit; FrameText is digits 2 to 10 followed by "DA". Only the start of a text
    // is kept: digits after the 64th are dropped until the carriage return.
    static const char kHex[] = "0123456789ABCDEF";
    std::vector<QByteArray> expectedDecoded;
    std::string pending;
    QByteArray frameText;
    for (size_t at = 0; at < size; at += blockSize) {
        const size_t length = std::min(blockSize, size - at);
        bool failed = false;
        for (size_t i = at; i < at + length && !failed; ++i) {
            if (data[i] != 0x0D) {
                if (pending.size() < 64)
                    pending += kHex[data[i] & 0x0F];
                continue;
            }
            pending += 'D';
            const std::string middle = pending.substr(1, 9);
            frameText = QByteArray(middle.data(), qsizetype(middle.size())) + "DA";
            const bool inStep = pending.size() >= 11 && pending[0] == 'A' && pending[10] == 'D';
            pending.clear();
            if (inStep) {
                expectedDecoded.push_back(frameText);
                failed = failsToDecode(frameText);
            }
        }

        bool threw = false;
        try {
            link.receiveBytes(&port, data + at, int32_t(length));
        } catch (const ProgramError&) {
            threw = true;
        }
        check(threw == failed);
        check(readings.decoded == expectedDecoded);
        check(readings.frameText == frameText);
        check(link.pendingDigits() == QByteArray(pending.data(), qsizetype(pending.size())));
    }
    return 0;
}
