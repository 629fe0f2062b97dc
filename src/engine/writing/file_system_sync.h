// A run pays for the disk once, not file by file: its files are written, the file system that
// holds them is flushed once, and only then are they given their names.
#pragma once

#include <string>

namespace vandrel {

// Flushes what a run wrote on the file system that holds `path` to the disk, once, instead of
// file by file: on Linux syncfs(), elsewhere sync(). On Windows each file is flushed when it is
// closed (FlushFileBuffers), as no call flushes one volume without administrator rights;
// there this does nothing. False when the flush failed.
bool SyncFileSystemOf(const std::string& path);

}  // namespace vandrel
