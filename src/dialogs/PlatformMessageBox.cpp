#include "dialogs/PlatformMessageBox.h"

#include <QMessageBox>

namespace PlatformMessageBox {

int show(QWidget* parent, const QString& text, const QString& caption, unsigned flags)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MB_ICONHAND: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
    case MB_ICONASTERISK: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return (flags & 0x0F) == MB_YESNO ? IDNO : IDCANCEL;
    }
}

}  // namespace PlatformMessageBox
