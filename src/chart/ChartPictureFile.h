#pragma once

#include <QString>

class FileSystem;
class QImage;

// Writes the picture under fileName in the type its extension names: PNG for ".png", SVG for
// ".svg", PDF for ".pdf" (one page the picture's size), and a Windows bitmap for ".bmp" and for
// every other name. The file is replaced as a saved table is: written beside its place, synced,
// put in the old file's place, and the folder synced, so a failed write leaves neither a half
// picture nor a damaged earlier one, and only a regular file or a free name is replaced.
// Throws ProgramError naming the file and the system's reason.
void writeChartPicture(const QImage& picture, const QString& fileName, const FileSystem& files);
