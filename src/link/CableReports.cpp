#include "link/CableReports.h"

#include <algorithm>

namespace CableReports {

std::array<uint8_t, 10> featureReport(BaudBoxes boxes)
{
    std::array<uint8_t, 10> report{};
    auto setRate = [&](uint16_t rate) {
        report[1] = uint8_t(rate & 0xFF);
        report[2] = uint8_t(rate >> 8);
    };
    if (boxes.b9600)
        setRate(9600);
    if (boxes.b4800)
        setRate(4800);
    if (boxes.b2400)
        setRate(2400);
    report[5] = 3;
    return report;
}

namespace {
std::vector<uint8_t> outputReport(uint8_t count, uint8_t first, int outputReportLength)
{
    std::vector<uint8_t> report(size_t(std::max(outputReportLength, kOutputBufferSize)), 0);
    report[1] = count;
    report[2] = first;
    report.resize(size_t(std::max(outputReportLength, 0)));
    return report;
}
}  // namespace

std::vector<uint8_t> commandReport(uint8_t command, int outputReportLength)
{
    return outputReport(1, command, outputReportLength);
}

std::vector<uint8_t> pollReport(int outputReportLength)
{
    return outputReport(2, 0x5A, outputReportLength);
}

namespace {
void appendByte(QByteArray& line, uint8_t byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    line.append(kHex[byte >> 4]);
    line.append(kHex[byte & 0x0F]);
    line.append(' ');
}
}  // namespace

QByteArray featureHistoryLine(const std::array<uint8_t, 10>& report)
{
    QByteArray line;
    for (size_t i = 1; i < report.size(); ++i)
        appendByte(line, report[i]);
    appendByte(line, 0);
    return line;
}

QByteArray outputHistoryLine(const std::vector<uint8_t>& report, uint32_t written)
{
    QByteArray line;
    for (size_t i = 1; i <= written; ++i)
        appendByte(line, i < report.size() ? report[i] : 0);
    return line;
}

}  // namespace CableReports
