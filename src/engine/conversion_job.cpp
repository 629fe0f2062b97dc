#include "engine/conversion_job.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "engine/file_error.h"
#include "engine/thunderbird/thunderbird_folders.h"
#include "engine/utf8_path.h"
#include "engine/writing/mbx_files.h"
#include "engine/writing/output_file.h"

namespace vandrel {

namespace {

// The folder of the export, searched last for the files it names.
std::string FolderOf(const std::string& path) {
  const std::filesystem::path parent = Utf8Path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

ConversionJob::~ConversionJob() {
  Wait();
}

bool ConversionJob::Start(std::string inputPath, std::string outputPath) {
  running_ = true;
  Wait();  // the worker of the previous run has ended it; let the thread go
  inputPath_ = std::move(inputPath);
  outputPath_ = std::move(outputPath);
  try {
    thread_ = std::thread(&ConversionJob::ThreadMain, this);
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  return true;
}

void ConversionJob::Wait() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

unsigned ConversionJob::ThreadMain(ConversionJob* job) {
  job->Run();
  return 0;
}

bool ConversionJob::Run() {
  running_ = true;
  succeeded_ = false;
  statusLine_ = StatusLine(status_);
  converter_.reset();  // each run reports only the files it missed itself
  // What the last run left in the status line and the bar must not pass for this one's.
  statusLine_.Set({});
  if (status_ != nullptr) status_->SetProgressPosition(0);
  bool finished = false;
  try {
    finished = Convert();
  } catch (const std::bad_alloc&) {
    // Whatever held the memory is gone by now; the run ends with a line that says why.
    Fail("not enough memory to convert " + inputPath_);
  }
  succeeded_ = finished;
  // The map of a finished run is not needed any more; it may hold the whole export.
  if (reader_ != nullptr) reader_->ReleaseFolders();
  running_ = false;
  return finished;
}

bool ConversionJob::Convert() {
  encoding_ = ExportEncoding::Create(options_.exportCodePage);
  if (encoding_ == nullptr) encoding_ = ExportEncoding::Create();
  if (options_.thunderbirdProfile) {
    target_ = std::make_unique<ThunderbirdFolders>(*options_.thunderbirdProfile);
  } else {
    target_ = std::make_unique<MbxFiles>(outputPath_);
  }
  // A missing output folder or a profile in use is refused before the export is read.
  if (const std::string problem = target_->Check(); !problem.empty()) {
    Fail(problem);
    return false;
  }
  Log().LogLine("loading input file");
  std::vector<std::string> searchFolders = options_.attachmentFolders;
  searchFolders.push_back(FolderOf(inputPath_));
  converter_ = std::make_unique<MessageConverter>(std::move(searchFolders), encoding_.get());
  reader_ = std::make_unique<MailboxReader>();
  reader_->SetLog(&Log());
  reader_->SetStatusSink(status_);
  if (!reader_->LoadMailbox(inputPath_)) {
    Fail(reader_->ErrorMessage());
    return false;
  }
  if (status_ != nullptr) {
    status_->SetProgressRange(MessagesRead());
    status_->SetProgressPosition(0);
  }
  statusLine_.Set("converting ...");
  if (const std::string problem = target_->Prepare(); !problem.empty()) {
    Fail(problem);
    return false;
  }
  Log().LogLine("converting to output file: " + target_->Description());
  if (!WriteFolders()) return false;
  if (const std::string note = target_->Finish(); !note.empty()) Log().LogLine(note);
  statusLine_.Set("ready");
  Log().LogLine("conversion done.");
  Log().LogLine(std::to_string(MessagesRead()));
  Log().LogText(" mails written.", false);
  return true;
}

// The reader counts one more than there are messages, for the old progress display.
int ConversionJob::MessagesRead() const {
  return reader_->MessageCount() - 1;
}

bool ConversionJob::WriteFolders() {
  int number = 0;
  const int total = MessagesRead();
  for (FolderMap::Folder& folder : *reader_->Folders()) {
    const std::string name = encoding_->ToSystemText(folder.name);
    const std::string cleaned = CleanFolderName(name);
    const std::string fileName = target_->FileFor(name, cleaned);
    Log().LogLine("processing " + cleaned);
    if (folder.messages.empty()) {
      Fail("no messages found");
      return false;
    }
    if (!WriteFolder(fileName, folder.messages, number, total)) return false;
  }
  return true;
}

bool ConversionJob::WriteFolder(const std::string& fileName, MessageList& messages, int& number,
                                int total) {
  OutputFile file;
  if (!file.Open(fileName)) {
    Fail(FileErrorMessage(file.ErrorCause(), fileName));
    return false;
  }
  for (MessageText& message : messages) {
    ++number;
    statusLine_.Set("exporting (" + std::to_string(number) + " of " + std::to_string(total) + ")");
    std::string converted = ConvertMessage(message);
    MessageText().swap(message);  // written messages give their memory back at once
    converted += '\n';
    if (!file.Write(converted)) {
      Fail(FileErrorMessage(file.ErrorCause(), fileName));
      return false;
    }
    if (status_ != nullptr) status_->StepProgress();
  }
  if (!file.Close()) {
    Fail(FileErrorMessage(file.ErrorCause(), fileName));
    return false;
  }
  return true;
}

std::string ConversionJob::ConvertMessage(const MessageText& text) {
  if (converter_ == nullptr) converter_ = std::make_unique<MessageConverter>();
  return converter_->ConvertMessage(text, statusLine_);
}

const std::vector<MissingFile>& ConversionJob::MissingFiles() const {
  static const std::vector<MissingFile> kNone;
  return converter_ == nullptr ? kNone : converter_->MissingFiles();
}

// The status line must not go on saying "converting ..." (or, from the last run, "ready").
void ConversionJob::Fail(const std::string& message) {
  Log().LogError(message);
  statusLine_.Set(std::string(kFailedStatus));
}

ActivityLog& ConversionJob::Log() {
  return log_ != nullptr ? *log_ : unattachedLog_;
}

}  // namespace vandrel
