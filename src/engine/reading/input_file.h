// Opening the exported mailbox for reading, and temporary files for a converted copy of it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vandrel {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file for binary reading (LineReader does the text-mode work itself), keeping
// other programs from writing to it where the platform allows. Null on failure, errno set.
FilePointer OpenInputFile(const std::string& path);

// A new file for reading and writing that is removed when closed, even when the program ends
// without closing it where the system can do that. Null on failure, errno set.
FilePointer OpenTemporaryFile();

}  // namespace vandrel
