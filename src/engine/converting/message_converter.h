// Rewrites one exported Calypso message into a message Thunderbird reads: a fixed header with a
// "Date: " line in front, the body, one part per attached file. How it is stored is the
// destination's business.
#pragma once

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/converting/converted_message.h"
#include "engine/converting/referenced_files.h"
#include "engine/converting/run_findings.h"
#include "engine/reading/message_text.h"
#include "mime/bounded_text.h"

namespace vandrel {

namespace mime {
class MailMessage;
}  // namespace mime

// One converter serves one thread.
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

  // The converted message. Its parts are separated by `boundary`; a new
  // one is made when it is empty. One that cannot be converted (too large for the library's
  // sizes, or for the memory there is) goes in as it stood in the export, and is reported.
  ConvertedMessage ConvertMessage(MessageText messageText, std::string_view boundary = {});

  // For a run that only looks at the export: the named files are opened and measured, not
  // read, and messages are not stored; the findings are those of converting.
  void MeasureOnly() { files_.SetUse(ReferencedFiles::Use::kMeasure); }
  // Files the messages named that were found and can be read, so far.
  std::size_t FilesFound() const { return files_.FilesFound(); }

  // A run asked to stop reads no more attached files; the message then stays unfinished.
  void SetStopToken(std::stop_token stop) { files_.SetStopToken(std::move(stop)); }

  // The largest stored message, and the largest exported text that is read as a message; one
  // beyond either is written as it stood in the export. The library's 32-bit sizes set them;
  // tests lower them.
  void SetMaxStoreLength(int maxStoreLength) { maxStoreLength_ = maxStoreLength; }
  void SetMaxSourceLength(std::size_t maxSourceLength) { maxSourceLength_ = maxSourceLength; }

 private:
  std::string Shown(const std::string& text, const std::string& charset = {}) const;
  std::string_view Convert(const MessageText& messageText, std::string_view boundary,
                           ConvertedMessage& converted);
  ConvertedMessage AsItStood(MessageText messageText, std::string_view shortfall);
  void BeginMessage(const std::string& subject, const std::string& charset,
                    const std::string& folder, ConvertedMessage& converted);
  static std::string Stored(const std::string& lead, const mime::MailMessage& output, int bound);
  std::string_view Measured(ConvertedMessage& converted);

  ExportEncoding* encoding_;
  std::string exportCharset_;  // labels the export's own 8-bit text
  FindingsLog findings_;
  ReferencedFiles files_;
  int maxStoreLength_ = INT_MAX;
  std::size_t maxSourceLength_ = mime::kMaxTextLength;
};

}  // namespace vandrel
