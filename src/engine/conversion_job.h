// One conversion from start to end on a worker thread of its own: the export is read whole,
// then every folder is written to its own mbox file, every message through the converter.
// Progress and results go to the activity log and the status-and-progress sink.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/converting/message_converter.h"
#include "engine/reading/export_encoding.h"
#include "engine/reading/mailbox_reader.h"
#include "engine/reading/message_text.h"
#include "engine/status_line.h"
#include "engine/status_sink.h"
#include "engine/writing/output_target.h"
#include "log/activity_log.h"

namespace vandrel {

// The status line after a run that ended with an "Error: " line.
inline constexpr std::string_view kFailedStatus = "failed: see the log";

struct ConversionOptions {
  // Searched, in this order and before the export's own folder, for the files the export names
  // by paths that do not exist here.
  std::vector<std::string> attachmentFolders;
  // The code page of the export's text ("CP1250", "ISO-8859-2", ...); its folder names and
  // subjects become file names and texts shown in UTF-8.
  std::string exportCodePage = DefaultExportCodePage();
  // Set: the folders go into this Thunderbird profile (empty: the default profile) instead of
  // files named after the output path.
  std::optional<std::string> thunderbirdProfile;
};

class ConversionJob {
 public:
  ConversionJob() = default;
  ConversionJob(const ConversionJob&) = delete;
  ConversionJob& operator=(const ConversionJob&) = delete;
  // Waits for a run in progress to end.
  virtual ~ConversionJob();

  // Set before any run; the job owns none of them.
  void SetLog(ActivityLog* log) { log_ = log; }
  void SetStatusSink(StatusSink* status) { status_ = status; }
  void SetOptions(ConversionOptions options) { options_ = std::move(options); }

  // Starts a run on a new worker thread. The running flag is set before it returns, so a caller
  // that checks it never starts a second run. False only when no thread could be made.
  bool Start(std::string inputPath, std::string outputPath);
  // Blocks until the worker of the last run has ended.
  void Wait();
  bool IsRunning() const { return running_.load(); }
  // Whether the last run wrote every folder.
  bool Succeeded() const { return succeeded_.load(); }

  // The worker thread's entry.
  static unsigned ThreadMain(ConversionJob* job);
  // The whole run; true when every folder was written. Clears the running flag when it ends.
  bool Run();

  // One exported message in Thunderbird's form, its subject appended to the status line.
  std::string ConvertMessage(const MessageText& text);

  // Files named by the export that could not be found or read, for the last run.
  const std::vector<MissingFile>& MissingFiles() const;

 private:
  bool Convert();
  int MessagesRead() const;
  bool WriteFolders();
  bool WriteFolder(const std::string& fileName, MessageList& messages, int& number, int total);
  void Fail(const std::string& message);
  ActivityLog& Log();

  std::atomic<bool> running_{false};
  std::atomic<bool> succeeded_{false};
  ActivityLog* log_ = nullptr;
  ActivityLog unattachedLog_;  // shows its texts by the log's own fallback
  StatusSink* status_ = nullptr;
  StatusLine statusLine_;
  std::unique_ptr<MailboxReader> reader_;
  std::unique_ptr<ExportEncoding> encoding_;
  std::unique_ptr<OutputTarget> target_;
  std::unique_ptr<MessageConverter> converter_;
  std::thread thread_;
  std::string inputPath_;
  std::string outputPath_;
  ConversionOptions options_;
};

}  // namespace vandrel
