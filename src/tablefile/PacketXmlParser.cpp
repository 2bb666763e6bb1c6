#include "tablefile/PacketXmlParser.h"

#include <cstring>
#include <new>

namespace {

constexpr char kPacketEncoding[] = "X-TQ612-PACKET-BYTES";
constexpr int kPacketControlCharacters = 0xE000;

bool isControlWithoutXmlCharacter(int byte)
{
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

int XMLCALL describePacketEncoding(void*, const XML_Char* name, XML_Encoding* encoding)
{
    if (std::strcmp(name, kPacketEncoding) != 0)
        return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; ++byte)
        encoding->map[byte] = isControlWithoutXmlCharacter(byte) ? kPacketControlCharacters + byte : byte;
    encoding->data = nullptr;
    encoding->convert = nullptr;
    encoding->release = nullptr;
    return XML_STATUS_OK;
}

}  // namespace

XML_Parser createPacketXmlParser()
{
    XML_Parser parser = XML_ParserCreate(kPacketEncoding);
    if (!parser)
        throw std::bad_alloc();
    XML_SetUnknownEncodingHandler(parser, &describePacketEncoding, nullptr);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    return parser;
}
