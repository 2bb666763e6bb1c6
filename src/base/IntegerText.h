#pragma once

#include "base/ProgramError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <string>

// Reads a whole number the way the program reads every typed or received one: leading
// blanks skipped, one optional sign, then decimal digits to the end, within 32 bits.
// Throws ProgramError "'<text>' is not a valid integer value" otherwise.
int32_t parseIntegerText(const QByteArray& text);

// Same rule without throwing; false when the text is not a valid integer.
bool tryParseIntegerText(QByteArrayView text, int32_t& value);

std::string invalidIntegerMessage(const QByteArray& text);
