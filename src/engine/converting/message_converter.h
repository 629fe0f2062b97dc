// Rewrites one exported Calypso message into a message of a Thunderbird mbox file: a fixed
// header, the body, one part per attached file, a "From " separator and "Date: " line in front.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/converting/referenced_files.h"
#include "engine/status_line.h"

namespace vandrel {

class MessageConverter {
 public:
  // Folders searched for files the export names by paths that do not exist here, in order.
  // The encoding turns the texts shown to the user (the subject in the status line, the report
  // of missing files) into the system's form; without one they are shown as they are.
  explicit MessageConverter(std::vector<std::string> searchFolders = {},
                            ExportEncoding* encoding = nullptr);

  // The converted message with LF line ends. Appends a blank and the subject to the status line.
  std::string ConvertMessage(std::string_view messageText, StatusLine& status);

  // Files named by the messages converted so far that could not be found or read.
  const std::vector<MissingFile>& MissingFiles() const { return files_.Missing(); }

 private:
  // Grows to the largest message and is kept, so each message does not fault in fresh pages.
  class ScratchBuffer {
   public:
    char* Reserve(std::size_t size);

   private:
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
  };

  std::string Shown(const std::string& text, const std::string& charset = {}) const;

  ExportEncoding* encoding_;
  ReferencedFiles files_;
  ScratchBuffer scratch_;
};

}  // namespace vandrel
