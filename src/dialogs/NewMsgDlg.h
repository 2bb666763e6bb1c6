#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

// The program's own modal message dialog: a word-wrapped text, the icon of its kind and a
// row of buttons, laid out from the font's character metrics.

enum class MessageKind : uint8_t { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

// Bit n stands for button n; bits 11 to 15 are ignored.
using MessageButtons = uint16_t;
namespace MessageButton {
constexpr MessageButtons Yes = 1u << 0;
constexpr MessageButtons No = 1u << 1;
constexpr MessageButtons OK = 1u << 2;
constexpr MessageButtons Cancel = 1u << 3;
constexpr MessageButtons Abort = 1u << 4;
constexpr MessageButtons Retry = 1u << 5;
constexpr MessageButtons Ignore = 1u << 6;
constexpr MessageButtons All = 1u << 7;
constexpr MessageButtons NoToAll = 1u << 8;
constexpr MessageButtons YesToAll = 1u << 9;
constexpr MessageButtons Help = 1u << 10;
}  // namespace MessageButton

class TMessageForm;

int32_t ShowWideMessage(const QString& text, MessageKind kind, MessageButtons buttons, int32_t helpContext);
int32_t ShowWideMessageAt(const QString& text, MessageKind kind, MessageButtons buttons, int32_t helpContext,
                          int32_t x, int32_t y, const QString& helpFile);
// Creates and lays out the form without showing it; the caller owns it.
TMessageForm* BuildMessageForm(const QString& text, MessageKind kind, MessageButtons buttons);

// Entry n: the width of button n's caption plus 8, measured in the font of the first dialog
// that showed the button and reused by every later one; 0 until then.
const std::array<int32_t, 11>& ButtonCaptionWidths();
