// The change log filter in front of the packet parser, checked against the parser itself, made
// as the packet reader makes it: any input must be accepted or refused alike with and without the filter, and give the same
// elements, attributes and text, but for the digits and blanks of a PARAMS change log. The
// filter must also give the same bytes whatever block boundary the input is cut at.
#include "tablefile/ChangeLogFilter.h"
#include "tablefile/PacketXmlParser.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool isLogDigitOrBlank(char c)
{
    return (c >= '0' && c <= '9') || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Everything the parser reports, as one string.
struct ParseLog {
    XML_Parser parser;
    std::string events;
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto* log = static_cast<ParseLog*>(data);
    const bool params = std::strcmp(name, "PARAMS") == 0;
    log->events += '<';
    log->events += name;
    for (; *attributes; attributes += 2) {
        log->events += ' ';
        log->events += attributes[0];
        log->events += '=';
        std::string value = attributes[1];
        if (params && std::strcmp(attributes[0], "CHANGE_LOG") == 0)
            std::erase_if(value, isLogDigitOrBlank);
        log->events += value;
    }
    log->events += '>';
}

void XMLCALL onEnd(void* data, const XML_Char* name)
{
    auto* log = static_cast<ParseLog*>(data);
    log->events += "</";
    log->events += name;
    log->events += '>';
}

void XMLCALL onText(void* data, const XML_Char* text, int length)
{
    static_cast<ParseLog*>(data)->events.append(text, size_t(length));
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    XML_StopParser(static_cast<ParseLog*>(data)->parser, XML_FALSE);
}

// The events, and whether the parser took the whole input.
std::pair<bool, std::string> parse(const char* bytes, size_t size)
{
    ParseLog log{createPacketXmlParser(), {}};
    XML_SetUserData(log.parser, &log);
    XML_SetElementHandler(log.parser, &onStart, &onEnd);
    XML_SetCharacterDataHandler(log.parser, &onText);
    XML_SetStartDoctypeDeclHandler(log.parser, &onDoctype);
    const bool accepted = XML_Parse(log.parser, bytes, int(size), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(log.parser);
    return {accepted, std::move(log.events)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says where the second block begins.
    const size_t cut = size_t(data[0]) * (size - 1) / 255;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::string whole = input;
    ChangeLogFilter oneBlock;
    whole.resize(size_t(oneBlock.filter(whole.data(), qsizetype(whole.size()))));

    std::string first = input.substr(0, cut);
    std::string second = input.substr(cut);
    ChangeLogFilter twoBlocks;
    first.resize(size_t(twoBlocks.filter(first.data(), qsizetype(first.size()))));
    second.resize(size_t(twoBlocks.filter(second.data(), qsizetype(second.size()))));
    check(first + second == whole);

    check(parse(input.data(), input.size()) == parse(whole.data(), whole.size()));
    return 0;
}
