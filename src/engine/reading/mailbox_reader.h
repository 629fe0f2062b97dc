// Reads a Calypso export and files its messages by folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "engine/reading/export_encoding.h"
#include "engine/reading/export_text.h"
#include "engine/reading/folder_map.h"
#include "engine/status_sink.h"
#include "log/activity_log.h"

namespace vandrel {

// Every message starts with a separator line beginning "From ???@???" and names its folder
// in an "X-CalypsoFolder: " line. One reader loads one file, once, on the worker thread.
class MailboxReader {
 public:
  MailboxReader() = default;
  virtual ~MailboxReader() = default;
  MailboxReader(const MailboxReader&) = delete;
  MailboxReader& operator=(const MailboxReader&) = delete;

  // Either may stay unset; its reports are then skipped.
  void SetLog(ActivityLog* log) { log_ = log; }
  void SetStatusSink(StatusSink* status) { status_ = status; }
  // The export's code page, for an export saved again in Unicode; Windows-1252 when unset.
  void SetEncoding(ExportEncoding* encoding) { encoding_ = encoding; }
  // A load asked to stop ends at the next message, as failed, with Stopped true.
  void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }
  bool Stopped() const { return stopped_; }

  // Files every message of the file by folder in the folder map, as the place where it lies
  // in the export; ReadMessage reads its text. False when the file could not be opened or
  // read (an unreadable export must not pass for an empty one), or when it holds text but no
  // separator line (it is no export at all). ErrorMessage says why.
  bool LoadMailbox(std::string path);
  bool ParseMailbox();

  // The text of a message of the folder map, after a good load. False when it cannot be read,
  // or the export has shrunk since it was loaded; ErrorMessage says why.
  bool ReadMessage(const MessageSpan& span, MessageText& text);
  // False, with ErrorMessage saying so, when the export has changed since it was loaded: what
  // was read from it since then must not be kept.
  bool ExportUnchanged();

  // A message's folder is named by the first line of its header block (from its separator
  // line to the first empty line) that starts with "X-CalypsoFolder: ": the rest of that line,
  // with every backslash made an underscore; "default mailbox" when it has none. The same words
  // anywhere else are text. This looks at one line, without its line end.
  static std::optional<std::string> FolderNameInLine(std::string_view line);

  bool IsLoading() const { return loading_; }
  // Separator lines plus one, as the progress display counts; at least 1 after a good load.
  std::int32_t MessageCount() const { return messageCount_; }
  const std::string& InputPath() const { return inputPath_; }
  // Null before the first load. After a failed load it holds what was read before the
  // failure and should not be written out.
  FolderMap* Folders() { return folders_.get(); }
  const FolderMap* Folders() const { return folders_.get(); }
  // Frees the map once its folders are written.
  void ReleaseFolders() { folders_.reset(); }

  // The errno of the last failed load, 0 after a good one or one that found no export.
  int ErrorNumber() const { return errorNumber_; }
  // Why the last load failed; empty after a good one.
  std::string ErrorMessage() const;

 private:
  bool ReadMessages();
  void CloseMessage(std::uint64_t end);
  void Log(const std::string& line);
  ExportEncoding& Encoding();

  bool loading_ = false;
  std::unique_ptr<FolderMap> folders_;
  ActivityLog* log_ = nullptr;
  StatusSink* status_ = nullptr;
  std::int32_t messageCount_ = 0;
  std::string inputPath_;
  int errorNumber_ = 0;
  bool notAnExport_ = false;
  bool changed_ = false;
  std::unique_ptr<ExportText> text_;
  // The message being read: where it starts and its folder, once a line has named it.
  std::uint64_t messageStart_ = 0;
  std::optional<std::string> messageFolder_;
  bool inHeader_ = false;  // the line read belongs to the message's header block
  bool stopped_ = false;
  std::stop_token stop_;
  ExportEncoding* encoding_ = nullptr;
  std::unique_ptr<ExportEncoding> ownEncoding_;
};

}  // namespace vandrel
