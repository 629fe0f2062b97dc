#include "engine/pipeline.h"

#include <algorithm>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "engine/converting/message_converter.h"
#include "engine/converting/message_workers.h"
#include "engine/destinations/folder_tree.h"
#include "engine/reading/mailbox_reader.h"
#include "engine/request_parts.h"
#include "engine/status_line.h"
#include "engine/stopped_text.h"
#include "engine/writing/output_names.h"
#include "mime/part_header.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

// One run: what it reads, where it goes, what it has found.
class Pipeline {
 public:
  Pipeline(const ConversionRequest& request, Destination& destination, PipelineUse use,
           const RunReport& report, std::stop_token stop)
      : request_(request),
        destination_(destination),
        use_(use),
        report_(report),
        stop_(std::move(stop)),
        statusLine_(report.status) {}

  PipelineResult Run();

 private:
  bool Go();
  bool ReadExport();
  bool HandFolders();
  bool HandFolder(const FolderMap::Folder& folder);
  void StartWorkers();
  std::size_t MessagesRead() const { return static_cast<std::size_t>(reader_->MessageCount() - 1); }
  void ShowProgress(const ConvertedMessage& converted);
  // True when a stop was asked for; the run then ends as stopped.
  bool StopRequested();
  bool Fail(const std::string& message);

  const ConversionRequest& request_;
  Destination& destination_;
  PipelineUse use_;
  RunReport report_;
  std::stop_token stop_;
  StatusLine statusLine_;
  std::unique_ptr<ExportEncoding> encoding_;
  std::unique_ptr<MailboxReader> reader_;
  std::vector<std::unique_ptr<ExportEncoding>> workerEncodings_;  // one per converter
  std::vector<std::shared_ptr<MessageConverter>> converters_;
  std::unique_ptr<MessageWorkers> workers_;
  RunFindings findings_;
  std::size_t number_ = 0;
  bool stopped_ = false;
  std::string error_;
};

PipelineResult Pipeline::Run() {
  // What the last run left in the status line and the bar must not pass for this one's.
  statusLine_.Set({});
  if (report_.status != nullptr) report_.status->SetProgressPosition(0);
  PipelineResult result;
  try {
    result.succeeded = Go();
  } catch (const std::bad_alloc&) {
    // Whatever held the memory is let go; the run ends with a line that says why.
    workers_.reset();
    reader_.reset();
    result.succeeded = Fail(Format(Tr("not enough memory to convert %1"), request_.inputPath));
  }
  result.stopped = stopped_;
  result.error = std::move(error_);
  result.findings = std::move(findings_);
  if (reader_ != nullptr && reader_->MessageCount() > 0) result.messages = MessagesRead();
  for (const auto& converter : converters_)
    result.filesFound += converter->FilesFound();
  return result;
}

bool Pipeline::Go() {
  encoding_ = EncodingFor(request_);
  // A missing output folder, a profile in use or another run into the same place is refused
  // before the export is read.
  destination_.WatchStop(stop_);
  if (const std::string problem = destination_.Check(); !problem.empty()) return Fail(problem);
  if (!ReadExport()) return false;
  if (report_.status != nullptr) {
    report_.status->SetProgressRange(static_cast<int>(MessagesRead()));
    report_.status->SetProgressPosition(0);
  }
  statusLine_.Set(
      std::string(use_ == PipelineUse::kConvert ? Tr("converting ...") : Tr("checking ...")));
  if (const std::string problem = destination_.Prepare(); !problem.empty()) return Fail(problem);
  report_.log.LogLine(Format(Tr("converting to output file: %1"), destination_.Description()));
  StartWorkers();
  if (!HandFolders()) return false;
  workers_.reset();
  const std::string finished = destination_.Finish();
  findings_.Add(destination_.TakeFindings());
  if (!finished.empty()) return Fail(finished);
  if (const std::string note = destination_.Note(); !note.empty()) report_.log.LogLine(note);
  statusLine_.Set(std::string(Tr("ready")));
  report_.log.LogLine(Tr("conversion done."));
  // The count stands on a line of its own, which the text then continues.
  report_.log.LogLine(std::to_string(MessagesRead() - findings_.notStored.size()));
  report_.log.LogText(Tr(" mails written."), false);
  return true;
}

bool Pipeline::ReadExport() {
  report_.log.LogLine(Tr("loading input file"));
  reader_ = std::make_unique<MailboxReader>();
  reader_->SetLog(&report_.log);
  reader_->SetStatusSink(report_.status);
  reader_->SetEncoding(encoding_.get());
  reader_->SetStopToken(stop_);
  if (reader_->LoadMailbox(request_.inputPath)) return true;
  if (StopRequested()) return false;
  return Fail(reader_->ErrorMessage());
}

bool Pipeline::HandFolders() {
  FolderMap flattened;
  const FolderMap* folders = reader_->Folders();
  // Without a backslash in any name the folders are flat already.
  const auto isPath = [](const FolderMap::Folder& folder) {
    return folder.name.find('\\') != std::string::npos;
  };
  if (destination_.FlattensFolders() && std::any_of(folders->begin(), folders->end(), isPath)) {
    flattened = FlattenedFolders(*folders);
    folders = &flattened;
  }
  for (const FolderMap::Folder& folder : *folders) {
    if (!HandFolder(folder)) return false;
  }
  return true;
}

// One converter per thread, each with an encoding of its own: a converter keeps state of its
// own between messages, and so does the system's text conversion.
void Pipeline::StartWorkers() {
  const std::vector<std::string> searchFolders = SearchFoldersFor(request_);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = request_.threads != 0 ? request_.threads : std::min(cores, 8u);
  workers_ = std::make_unique<MessageWorkers>(threads > 1 ? threads : 0, [&] {
    workerEncodings_.push_back(ExportEncoding::Create(encoding_->CodePage()));
    auto converter =
        std::make_shared<MessageConverter>(searchFolders, workerEncodings_.back().get());
    converter->SetStopToken(stop_);
    if (use_ == PipelineUse::kLook) converter->MeasureOnly();
    converters_.push_back(converter);
    return [converter](MessageText text, const std::string& boundary) {
      return converter->ConvertMessage(std::move(text), boundary);
    };
  });
}

// The next messages are read and given to the workers while the oldest is stored.
bool Pipeline::HandFolder(const FolderMap::Folder& folder) {
  const std::string name = encoding_->ToSystemText(folder.name);
  report_.log.LogLine(Format(Tr("processing %1"), CleanFolderName(name)));
  const MessageList& messages = folder.messages;
  if (messages.empty()) return Fail(std::string(Tr("no messages found")));
  if (const std::string problem = destination_.BeginFolder({name, FolderPathOf(name)});
      !problem.empty()) {
    if (!StopRequested()) Fail(problem);
    return false;
  }
  std::size_t given = 0;
  for (std::size_t taken = 0; taken < messages.size(); ++taken) {
    if (StopRequested()) return false;
    for (; given < messages.size() && workers_->HasRoom(); ++given) {
      MessageText text;
      if (!reader_->ReadMessage(messages[given], text)) return Fail(reader_->ErrorMessage());
      // Made here, in export order, for the counter the boundaries carry.
      std::string boundary = mime::GenerateBoundary(text.data());
      workers_->Give(std::move(text), std::move(boundary));
    }
    ConvertedMessage converted = workers_->TakeOldest();
    ShowProgress(converted);
    // A stop while its files were read leaves the message unfinished: it is not stored.
    if (StopRequested()) return false;
    findings_.Add(std::move(converted.findings));
    if (const std::string problem = destination_.Add(converted); !problem.empty()) {
      // A destination waiting on a server gives up when the stop comes: the run is stopped.
      if (!StopRequested()) Fail(problem);
      return false;
    }
    findings_.Add(destination_.TakeFindings());
    if (report_.status != nullptr) report_.status->StepProgress();
  }
  if (!reader_->ExportUnchanged()) return Fail(reader_->ErrorMessage());
  const std::string ended = destination_.EndFolder();
  findings_.Add(destination_.TakeFindings());
  if (!ended.empty()) return Fail(ended);
  return true;
}

void Pipeline::ShowProgress(const ConvertedMessage& converted) {
  ++number_;
  if (use_ == PipelineUse::kLook) {
    statusLine_.Set(Format(Tr("checking (%1 of %2)"), number_, MessagesRead()));
    return;
  }
  statusLine_.Set(Format(Tr("exporting (%1 of %2)"), number_, MessagesRead()));
  statusLine_.Append(" " + converted.subject);
}

bool Pipeline::StopRequested() {
  if (!stop_.stop_requested()) return false;
  stopped_ = true;
  Fail(std::string(StoppedText()));
  return true;
}

// What the run made is taken away before the error is told, so the line can say so.
bool Pipeline::Fail(const std::string& message) {
  const std::string abandoned = destination_.Abandon();
  error_ = message;
  report_.log.LogError(message + abandoned);
  statusLine_.Set(std::string(Tr(kFailedStatus)));
  return false;
}

}  // namespace

PipelineResult RunPipeline(const ConversionRequest& request, Destination& destination,
                           PipelineUse use, const RunReport& report, std::stop_token stop) {
  return Pipeline(request, destination, use, report, std::move(stop)).Run();
}

}  // namespace vandrel
