// A file of the user's (a folder's mbox file, Thunderbird's folder cache): written into a hidden
// temporary file beside it, and put in place under its own name only when it is complete and
// on the disk. Until then an earlier file of that name stays as it
// was, and a run that fails or stops leaves nothing that looks complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/file_error.h"

namespace vandrel {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes the temporary file of a file that was not committed.
  ~OutputFile();

  // Starts the file `path` as a new temporary file in its folder whose name begins with
  // `temporaryPrefix` (a hidden name, such as ".vandrel-...-").
  bool Open(const std::string& path, const std::string& temporaryPrefix);
  // Writes the bytes as they are.
  bool Write(std::string_view bytes);
  // Flushes the file to the disk and renames it to its path, replacing what was there (a
  // symbolic link itself, never what it points to); an earlier file's mode is kept. A write
  // that failed only now (a full disk) is reported here.
  bool Commit() { return Close(When::kNow) && PutInPlace(When::kNow); }

  // The two halves of Commit, for a run that flushes many files at once: Close writes the rest
  // and closes the file, still under its temporary name; PutInPlace renames it. With kLater the
  // caller flushes the file system (SyncFileSystemOf) after Close and again after PutInPlace;
  // on Windows each file is flushed as it closes all the same.
  enum class When { kNow, kLater };
  bool Close(When flush);
  bool PutInPlace(When flushFolder);
  // Closes and removes the temporary file.
  void Discard();

  // Why the last operation failed.
  FileErrorCause ErrorCause() const { return cause_; }

 private:
  // The platform's part.
  bool CreateTemporary(const std::string& temporaryPrefix);
  bool WriteBytes(std::string_view bytes);
  bool SyncAndClose(bool sync);
  bool RenameIntoPlace(bool syncFolder);
  void CloseAndRemove();
  bool Fail();

  std::intptr_t handle_ = -1;
  std::string path_;
  std::string temporaryPath_;
  std::string buffer_;  // small writes gathered into large ones
  FileErrorCause cause_ = FileErrorCause::kGeneric;
};

}  // namespace vandrel
