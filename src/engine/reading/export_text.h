// The export's text after the first reading: the file itself, read again message by message at
// the places the reader noted, or, for input that cannot be read twice (a pipe), a copy of its
// bytes in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/reading/input_file.h"
#include "engine/reading/message_text.h"

namespace vandrel {

class ExportText {
 public:
  // `base` is where the text begins in the file. `crEndsLines`: as the reader split it.
  ExportText(FilePointer file, std::uint64_t base, bool crEndsLines = false);
  explicit ExportText(std::string bytes, bool crEndsLines = false);

  // The message's text, as the reader made it: every line followed by CR LF. False when it
  // could not be read, or lies past the end of a file that has shrunk.
  bool Read(const MessageSpan& span, MessageText& text);
  // After a failed Read: the errno, or 0 when the file is shorter than it was.
  int ErrorNumber() const { return errorNumber_; }

  // False once the file's size or modification time differs from when it was first read: what
  // was read from it since then may not be the export that was read. Asked before what was
  // read is kept, rather than at every reading, which would cost a system call per message.
  bool Unchanged() const;

 private:
  FilePointer file_;
  std::uint64_t base_ = 0;
  std::optional<FileStamp> stamp_;
  std::string bytes_;
  int errorNumber_ = 0;
  bool crEndsLines_ = false;
};

}  // namespace vandrel
