#pragma once

#include <QString>

class QWidget;

// The platform's standard message box, called with the flag word and answering with the
// result codes of the system the program was designed on, so callers read like their
// descriptions ("OK/Cancel, question icon" is MB_OKCANCEL | MB_ICONQUESTION).
namespace PlatformMessageBox {

enum Flags : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNO = 0x04,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONASTERISK = 0x40,
};

enum Result : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

int show(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

}  // namespace PlatformMessageBox
