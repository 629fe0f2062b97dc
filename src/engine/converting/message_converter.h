// Rewrites one exported Calypso message into a message of a Thunderbird mbox file: a fixed
// header, the body, one part per attached file, a "From " separator and "Date: " line in front.
#pragma once

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/converting/referenced_files.h"
#include "engine/converting/run_findings.h"
#include "engine/status_line.h"

namespace vandrel {

namespace mime {
class MailMessage;
}  // namespace mime

class MessageConverter {
 public:
  // Folders searched for files the export names by paths that do not exist here, in order.
  // The encoding turns the texts shown to the user (the subject in the status line, the report
  // at the end) into the system's form; without one they are shown as they are.
  explicit MessageConverter(std::vector<std::string> searchFolders = {},
                            ExportEncoding* encoding = nullptr);
  // The referenced files report into findings_, which must not move.
  MessageConverter(const MessageConverter&) = delete;
  MessageConverter& operator=(const MessageConverter&) = delete;

  // The converted message with LF line ends. Appends a blank and the subject to the status line.
  std::string ConvertMessage(std::string_view messageText, StatusLine& status);

  // Files that could not be found or read and messages that could not be converted in full,
  // of the messages converted so far.
  const RunFindings& Findings() const { return findings_.Findings(); }

  // A run asked to stop reads no more attached files; the message then stays unfinished.
  void SetStopToken(std::stop_token stop) { files_.SetStopToken(std::move(stop)); }

  // The largest stored message; one beyond it is written as it stood in the export. The
  // library's 32-bit sizes set it; tests lower it.
  void SetMaxStoreLength(int maxStoreLength) { maxStoreLength_ = maxStoreLength; }

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
  std::string StoreWithLead(const std::string& lead, const mime::MailMessage& output, int bound);

  ExportEncoding* encoding_;
  std::string exportCharset_;  // labels the export's own 8-bit text
  FindingsLog findings_;
  ReferencedFiles files_;
  ScratchBuffer scratch_;
  int maxStoreLength_ = INT_MAX;
};

}  // namespace vandrel
