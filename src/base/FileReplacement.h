#pragma once

#include <QString>

#include <functional>

class FileSystem;
class QIODevice;

// Writes a file so that neither a failure nor a power cut leaves it half written. The bytes go
// to a new file beside the target, under a name that fits wherever the target's name does;
// only once they are on the disk does that file take the target's place, and the folder is
// synced so that the new entry is on the disk too. Until that replacement the old file is as
// it was, and a failure removes the new one.
//
// A symbolic link is followed: the file it leads to is replaced and the link kept. Only a
// regular file, or a name not taken yet, is replaced; a folder, pipe, device or socket is
// refused before anything is written. A save that was killed leaves its temporary file
// behind; the next save of the same target into that folder removes it.
//
// `write` writes to a device whose failed write says the system's reason in errorString().
// Throws FileWriteError, and passes on whatever `write` throws.
void replaceFileSafely(const FileSystem& files, const QString& fileName, const std::function<void(QIODevice&)>& write);
