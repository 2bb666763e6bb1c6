#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The window's button glyphs and pictures, drawn in code so the program carries no image files.
// Button glyphs are 16 x 15 pixels; the magnifiers 25 x 25; the connection pictures 25 x 24.
namespace Icons {

QPixmap blankPage();
QPixmap openFolder();
QPixmap openFolderDisabled();  // the same folder in greys, for the disabled button
QIcon openFolderIcon();        // both of the above
QPixmap floppyDisk();
QPixmap printer();

// Page navigation: blue triangles, with a bar at the end for the first and last page.
QPixmap firstPage();
QPixmap previousPage();
QPixmap nextPage();
QPixmap lastPage();

enum class Sign { Plus, Minus };
QPixmap magnifier(Sign sign, const QColor& signColour);

// A computer and the instrument joined by a cable; lit screens mean connected.
QPixmap connection(bool lit);

// A handheld thermometer, in the sizes the desktop asks for.
QIcon applicationIcon();

}  // namespace Icons
