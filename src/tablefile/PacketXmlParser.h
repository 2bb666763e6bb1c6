#pragma once

#include <expat.h>

// The packet carries texts byte for byte, so a text may hold a control byte that XML has no
// character for (a text report brings such bytes in, and the writer leaves them as they are).
// The parser made here is told the file is in an encoding of our own, whatever its
// declaration or first bytes say: every byte is the character of the same number, as in
// ISO-8859-1, except those control bytes, which stand for the private-use characters
// U+E000 + byte. So every byte is one character, markup included, and turning the UTF-8 the
// parser hands over back into bytes gives the file's bytes exactly. Parameter entities are
// never read. Throws std::bad_alloc when no parser can be made; the caller frees it.
XML_Parser createPacketXmlParser();
