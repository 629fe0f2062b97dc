#include "engine/conversion.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/converting/message_converter.h"
#include "engine/file_error.h"
#include "engine/reading/mailbox_reader.h"
#include "engine/status_line.h"
#include "engine/thunderbird/thunderbird_folders.h"
#include "engine/utf8_path.h"
#include "engine/writing/mbx_files.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_names.h"

namespace vandrel {

namespace {

constexpr std::string_view kStopped = "conversion stopped.";

// The folder of the export, searched last for the files it names.
std::string FolderOf(const std::string& path) {
  const std::string parent = PathText(Utf8Path(path).parent_path());
  return parent.empty() ? std::string(".") : parent;
}

std::unique_ptr<OutputTarget> TargetFor(const ConversionOutput& output) {
  if (const auto* profile = std::get_if<ThunderbirdOutput>(&output)) {
    return std::make_unique<ThunderbirdFolders>(profile->profile);
  }
  return std::make_unique<MbxFiles>(std::get<MboxFilesOutput>(output).outputPath);
}

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
  bool WriteFolder(const std::string& fileName, MessageList& messages);
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
  std::unique_ptr<MessageConverter> converter_;
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
    // Whatever held the memory is gone by now; the run ends with a line that says why.
    reader_.reset();
    result.succeeded = Fail("not enough memory to convert " + request_.inputPath);
  }
  result.stopped = stopped_;
  if (converter_ != nullptr) result.findings = converter_->Findings();
  return result;
}

bool ConversionRun::Convert() {
  encoding_ = ExportEncoding::Create(request_.exportCodePage);
  if (encoding_ == nullptr) encoding_ = ExportEncoding::Create();
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
  if (!WriteFolders()) return false;
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
  std::vector<std::string> searchFolders = request_.attachmentFolders;
  searchFolders.push_back(FolderOf(request_.inputPath));
  converter_ = std::make_unique<MessageConverter>(std::move(searchFolders), encoding_.get());
  converter_->SetStopToken(stop_);
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

// The file shows under its name only once every message is in it and it is on the disk.
bool ConversionRun::WriteFolder(const std::string& fileName, MessageList& messages) {
  OutputFile file;
  // The unfinished file goes before the error is told, and before anything around it.
  const auto abandon = [&](bool stopped) {
    const FileErrorCause cause = file.ErrorCause();
    file.Discard();
    if (stopped) {
      StopRequested();
      return false;
    }
    return Fail(FileErrorMessage(cause, fileName));
  };
  if (!file.Open(fileName, target_->TemporaryPrefix())) return abandon(false);
  const std::string total = std::to_string(MessagesRead());
  for (MessageText& message : messages) {
    if (stop_.stop_requested()) return abandon(true);
    ++number_;
    statusLine_.Set("exporting (" + std::to_string(number_) + " of " + total + ")");
    std::string converted = converter_->ConvertMessage(message, statusLine_);
    // A stop while its files were read leaves the message unfinished: it is not written.
    if (stop_.stop_requested()) return abandon(true);
    MessageText().swap(message);  // written messages give their memory back at once
    converted += '\n';
    if (!file.Write(converted)) return abandon(false);
    if (report_.status != nullptr) report_.status->StepProgress();
  }
  if (!file.Commit()) return abandon(false);
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
