#pragma once

#include <QString>

class QImage;

// Writes the picture as a Windows bitmap under fileName, whatever its extension says. The file
// is written beside its final place first and only then put there, so a failed write leaves
// neither a half picture nor a damaged earlier one. Throws ProgramError naming the file and
// the system's reason.
void writeBitmapFile(const QImage& picture, const QString& fileName);
