// A folder's output file: created or emptied, written with every LF as CR LF (the form the
// Windows program writes, on every system), and closed with its errors reported.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/file_error.h"

namespace vandrel {

// Whether new files can be made in the folder, found out before a long run rather than after
// it: a file is made under a hidden name and removed at once. Empty when they can, else why not
// (a folder that does not exist, or is no folder, is a bad path).
std::optional<FileErrorCause> CheckFolderTakesFiles(const std::string& folder);

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the file or empties it; no other program may open it meanwhile where the system
  // can refuse that.
  bool Open(const std::string& path);
  // Writes the text with every LF as CR LF.
  bool Write(std::string_view text);
  // Flushes and closes; a write that failed only now (a full disk) is reported here.
  bool Close();

  // Why the last operation failed.
  FileErrorCause ErrorCause() const { return cause_; }

 private:
  // The platform's part: open for writing (nothing shared where the system can refuse it), and
  // the cause of the last failure.
  static std::FILE* OpenForWriting(const std::string& path);
  bool Fail();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string translated_;
  FileErrorCause cause_ = FileErrorCause::kGeneric;
};

}  // namespace vandrel
