#include "engine/reading/mailbox_reader.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "engine/file_error.h"
#include "engine/reading/input_file.h"
#include "engine/reading/line_reader.h"

namespace vandrel {
namespace {

constexpr std::string_view kSeparator = "From ???@???";
constexpr std::string_view kFolderTag = "X-CalypsoFolder: ";
constexpr std::string_view kDefaultFolder = "default mailbox";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

bool MailboxReader::LoadMailbox(std::string path) {
  inputPath_ = std::move(path);
  return ParseMailbox();
}

bool MailboxReader::ParseMailbox() {
  loading_ = true;
  errorNumber_ = 0;
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
  errno = 0;
  const FilePointer file = OpenInputFile(inputPath_);
  if (!file) {
    errorNumber_ = errno != 0 ? errno : EIO;
    return false;
  }
  LineReader reader(file.get());
  std::string collected;
  for (;;) {
    const std::size_t lineStart = collected.size();
    if (!reader.AppendLine(collected)) break;
    if (std::string_view(collected).substr(lineStart).starts_with(kSeparator)) {
      CloseMessage(collected, lineStart);
    }
    collected += kLineEnd;
  }
  if (reader.ErrorNumber() != 0) {
    errorNumber_ = reader.ErrorNumber();
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
  if (errorNumber_ == 0) return {};
  if (errorNumber_ == ENOMEM) return "not enough memory to read " + inputPath_;
  return FileErrorMessageFromErrno(errorNumber_, inputPath_);
}

void MailboxReader::Log(const std::string& line) {
  if (log_ != nullptr) log_->LogLine(line);
}

}  // namespace vandrel
