#include "engine/reading/mailbox_reader.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "engine/file_error.h"
#include "engine/reading/export_source.h"
#include "engine/reading/line_reader.h"

namespace vandrel {
namespace {

constexpr std::string_view kSeparator = "From ???@???";
constexpr std::string_view kFolderTag = "X-CalypsoFolder: ";
constexpr std::string_view kDefaultFolder = "default mailbox";
constexpr std::string_view kLineEnd = "\r\n";

// Blanks and line ends only: an empty export, not text of some other kind.
bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

bool MailboxReader::LoadMailbox(std::string path) {
  inputPath_ = std::move(path);
  return ParseMailbox();
}

bool MailboxReader::ParseMailbox() {
  loading_ = true;
  errorNumber_ = 0;
  notAnExport_ = false;
  stopped_ = false;
  Log("start parsing file: " + inputPath_ + " ...");
  messageCount_ = 0;
  folders_ = std::make_unique<FolderMap>();
  bool read = false;
  try {
    read = ReadMessages();
  } catch (const std::bad_alloc&) {
    folders_.reset();  // give the memory back before anyone reports the failure
    folders_ = std::make_unique<FolderMap>();
    errorNumber_ = ENOMEM;
  }
  if (read) Log("mailbox file loaded.");
  loading_ = false;
  return read;
}

// Each line is appended to the message being collected as it is read; a separator line
// closes everything before it and starts the next message.
bool MailboxReader::ReadMessages() {
  ExportSource source = OpenExportSource(inputPath_, Encoding());
  if (source.file == nullptr) {
    errorNumber_ = source.errorNumber != 0 ? source.errorNumber : EIO;
    return false;
  }
  if (!source.note.empty()) Log(source.note);
  LineReader reader(source.file.get());
  reader.Prepend(source.start);
  std::string collected;
  bool blankBeforeFirstSeparator = true;
  for (;;) {
    const std::size_t lineStart = collected.size();
    if (!reader.AppendLine(collected)) break;
    const std::string_view line = std::string_view(collected).substr(lineStart);
    if (line.starts_with(kSeparator)) {
      if (stop_.stop_requested()) {
        stopped_ = true;
        return false;
      }
      CloseMessage(collected, lineStart);
    } else if (messageCount_ == 0 && blankBeforeFirstSeparator) {
      blankBeforeFirstSeparator = IsBlank(line);
    }
    collected += kLineEnd;
  }
  if (reader.ErrorNumber() != 0) {
    errorNumber_ = reader.ErrorNumber();
    return false;
  }
  // Text without a single separator line is something else, which must not pass for an
  // export without mail.
  if (messageCount_ == 0 && !blankBeforeFirstSeparator) {
    notAnExport_ = true;
    return false;
  }
  CloseMessage(collected, collected.size());
  return true;
}

// Files the first length bytes of collected as a message, unless they come before the first
// separator line, and counts one more for the progress display.
void MailboxReader::CloseMessage(std::string& collected, std::size_t length) {
  if (messageCount_ > 0) {
    // A copy of exactly the message's size; the collecting buffer keeps its capacity.
    MessageText message(collected, 0, length);
    const std::string folder = ExtractFolderName(message);
    folders_->Append(folder, std::move(message));
  }
  collected.erase(0, length);
  ++messageCount_;
  if (status_ != nullptr) status_->SetStatusText("loading mails: " + std::to_string(messageCount_));
}

std::string MailboxReader::ExtractFolderName(std::string_view messageText) {
  std::string name(kDefaultFolder);
  if (const auto tag = messageText.find(kFolderTag); tag != std::string_view::npos) {
    const std::size_t begin = tag + kFolderTag.size();
    std::size_t end = messageText.find('\n', begin);
    if (end == std::string_view::npos) {
      end = messageText.size();
    } else if (messageText[end - 1] == '\r') {  // at worst the tag's last byte, a space
      --end;
    }
    name.assign(messageText.substr(begin, end - begin));
  }
  std::replace(name.begin(), name.end(), '\\', '_');
  return name;
}

std::string MailboxReader::ErrorMessage() const {
  if (stopped_) return "conversion stopped.";
  if (notAnExport_) {
    return inputPath_ + " is not a Calypso export (no line starts with \"" +
           std::string(kSeparator) + "\").";
  }
  if (errorNumber_ == 0) return {};
  if (errorNumber_ == ENOMEM) return "not enough memory to read " + inputPath_;
  return FileErrorMessageFromErrno(errorNumber_, inputPath_);
}

ExportEncoding& MailboxReader::Encoding() {
  if (encoding_ != nullptr) return *encoding_;
  if (ownEncoding_ == nullptr) ownEncoding_ = ExportEncoding::Create();
  return *ownEncoding_;
}

void MailboxReader::Log(const std::string& line) {
  if (log_ != nullptr) log_->LogLine(line);
}

}  // namespace vandrel
