#include "engine/conversion.h"

#include <algorithm>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "engine/converting/message_converter.h"
#include "engine/converting/message_workers.h"
#include "engine/file_error.h"
#include "engine/reading/mailbox_reader.h"
#include "engine/request_parts.h"
#include "engine/status_line.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_names.h"
#include "mime/part_header.h"

namespace vandrel {

namespace {

constexpr std::string_view kStopped = "conversion stopped.";

// One run: what it reads, where it writes, what it has found.
class ConversionRun {
 public:
  ConversionRun(const ConversionRequest& request, const RunReport& report, std::stop_token stop)
      : request_(request), report_(report), stop_(std::move(stop)), statusLine_(report.status) {}

  ConversionResult Run();

 private:
  bool Convert();
  bool ReadExport();
  bool WriteFolders();
  bool WriteFolder(const std::string& fileName, const MessageList& messages);
  void StartWorkers();
  int MessagesRead() const { return reader_->MessageCount() - 1; }
  // True when a stop was asked for; the run then ends as stopped.
  bool StopRequested();
  bool Fail(const std::string& message);

  const ConversionRequest& request_;
  RunReport report_;
  std::stop_token stop_;
  StatusLine statusLine_;
  std::unique_ptr<ExportEncoding> encoding_;
  std::unique_ptr<OutputTarget> target_;
  std::unique_ptr<MailboxReader> reader_;
  std::vector<std::unique_ptr<ExportEncoding>> workerEncodings_;  // one per converter
  std::unique_ptr<MessageWorkers> workers_;
  RunFindings findings_;
  int number_ = 0;
  bool stopped_ = false;
};

ConversionResult ConversionRun::Run() {
  // What the last run left in the status line and the bar must not pass for this one's.
  statusLine_.Set({});
  if (report_.status != nullptr) report_.status->SetProgressPosition(0);
  ConversionResult result;
  try {
    result.succeeded = Convert();
  } catch (const std::bad_alloc&) {
    // Whatever held the memory is let go; the run ends with a line that says why.
    workers_.reset();
    reader_.reset();
    result.succeeded = Fail("not enough memory to convert " + request_.inputPath);
  }
  result.stopped = stopped_;
  result.findings = std::move(findings_);
  return result;
}

bool ConversionRun::Convert() {
  encoding_ = EncodingFor(request_);
  target_ = TargetFor(request_.output);
  // A missing output folder, a profile in use or another run into the same place is refused
  // before the export is read.
  if (const std::string problem = target_->Check(); !problem.empty()) return Fail(problem);
  if (!ReadExport()) return false;
  if (report_.status != nullptr) {
    report_.status->SetProgressRange(MessagesRead());
    report_.status->SetProgressPosition(0);
  }
  statusLine_.Set("converting ...");
  if (const std::string problem = target_->Prepare(); !problem.empty()) return Fail(problem);
  report_.log.LogLine("converting to output file: " + target_->Description());
  StartWorkers();
  if (!WriteFolders()) return false;
  workers_.reset();
  if (const std::string problem = target_->Finish(); !problem.empty()) return Fail(problem);
  if (const std::string note = target_->Note(); !note.empty()) report_.log.LogLine(note);
  statusLine_.Set("ready");
  report_.log.LogLine("conversion done.");
  report_.log.LogLine(std::to_string(MessagesRead()));
  report_.log.LogText(" mails written.", false);
  return true;
}

bool ConversionRun::ReadExport() {
  report_.log.LogLine("loading input file");
  reader_ = std::make_unique<MailboxReader>();
  reader_->SetLog(&report_.log);
  reader_->SetStatusSink(report_.status);
  reader_->SetEncoding(encoding_.get());
  reader_->SetStopToken(stop_);
  if (reader_->LoadMailbox(request_.inputPath)) return true;
  if (StopRequested()) return false;
  return Fail(reader_->ErrorMessage());
}

bool ConversionRun::WriteFolders() {
  for (FolderMap::Folder& folder : *reader_->Folders()) {
    const std::string name = encoding_->ToSystemText(folder.name);
    const std::string cleaned = CleanFolderName(name);
    const std::string fileName = target_->FileFor(name, cleaned);
    report_.log.LogLine("processing " + cleaned);
    if (folder.messages.empty()) return Fail("no messages found");
    if (!WriteFolder(fileName, folder.messages)) return false;
  }
  return true;
}

// One converter per thread, each with an encoding of its own: a converter keeps state of its
// own between messages, and so does the system's text conversion.
void ConversionRun::StartWorkers() {
  const std::vector<std::string> searchFolders = SearchFoldersFor(request_);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = request_.threads != 0 ? request_.threads : std::min(cores, 8u);
  workers_ = std::make_unique<MessageWorkers>(threads > 1 ? threads : 0, [&] {
    workerEncodings_.push_back(ExportEncoding::Create(encoding_->CodePage()));
    auto converter =
        std::make_shared<MessageConverter>(searchFolders, workerEncodings_.back().get());
    converter->SetStopToken(stop_);
    return [converter](MessageText text, const std::string& boundary) {
      return converter->ConvertMessage(std::move(text), boundary);
    };
  });
}

// The file shows under its name only once every message is in it and it is on the disk. The
// next messages are read and given to the workers while the oldest is written.
bool ConversionRun::WriteFolder(const std::string& fileName, const MessageList& messages) {
  OutputFile file;
  // The unfinished file goes before the error is told, and before anything around it.
  const auto fail = [&](const std::string& problem) {
    const FileErrorCause cause = file.ErrorCause();
    file.Discard();
    return Fail(problem.empty() ? FileErrorMessage(cause, fileName) : problem);
  };
  const auto stopped = [&] {
    file.Discard();
    StopRequested();
    return false;
  };
  if (!file.Open(fileName, target_->TemporaryPrefix())) return fail({});
  const std::string total = std::to_string(MessagesRead());
  std::size_t given = 0;
  for (std::size_t taken = 0; taken < messages.size(); ++taken) {
    if (stop_.stop_requested()) return stopped();
    for (; given < messages.size() && workers_->HasRoom(); ++given) {
      MessageText text;
      if (!reader_->ReadMessage(messages[given], text)) return fail(reader_->ErrorMessage());
      // Made here, in export order, for the counter the boundaries carry.
      std::string boundary = mime::GenerateBoundary(text.data());
      workers_->Give(std::move(text), std::move(boundary));
    }
    ConvertedMessage converted = workers_->TakeOldest();
    ++number_;
    statusLine_.Set("exporting (" + std::to_string(number_) + " of " + total + ")");
    statusLine_.Append(" " + converted.subject);
    // A stop while its files were read leaves the message unfinished: it is not written.
    if (stop_.stop_requested()) return stopped();
    findings_.Add(std::move(converted.findings));
    if (!file.Write(converted.text)) return fail({});
    if (report_.status != nullptr) report_.status->StepProgress();
  }
  if (!reader_->ExportUnchanged()) return fail(reader_->ErrorMessage());
  if (!file.Commit()) return fail({});
  return true;
}

bool ConversionRun::StopRequested() {
  if (!stop_.stop_requested()) return false;
  stopped_ = true;
  Fail(std::string(kStopped));
  return true;
}

// What the run made is taken away before the error is told, so the line can say so.
bool ConversionRun::Fail(const std::string& message) {
  const std::string abandoned = target_ != nullptr ? target_->Abandon() : std::string();
  report_.log.LogError(message + abandoned);
  statusLine_.Set(std::string(kFailedStatus));
  return false;
}

}  // namespace

ConversionResult Convert(const ConversionRequest& request, const RunReport& report,
                         std::stop_token stop) {
  return ConversionRun(request, report, std::move(stop)).Run();
}

}  // namespace vandrel
