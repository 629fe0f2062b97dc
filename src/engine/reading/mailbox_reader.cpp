#include "engine/reading/mailbox_reader.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "engine/file_error.h"
#include "engine/reading/export_source.h"
#include "engine/reading/input_file.h"
#include "engine/reading/line_reader.h"
#include "engine/stopped_text.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

constexpr std::string_view kSeparator = "From ???@???";
constexpr std::string_view kFolderTag = "X-CalypsoFolder: ";
constexpr std::string_view kDefaultFolder = "default mailbox";

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
  changed_ = false;
  stopped_ = false;
  text_.reset();
  Log(Format(Tr("start parsing file: %1 ..."), inputPath_));
  messageCount_ = 0;
  folders_ = std::make_unique<FolderMap>();
  bool read = false;
  try {
    read = ReadMessages();
  } catch (const std::bad_alloc&) {
    folders_.reset();  // give the memory back before anyone reports the failure
    text_.reset();
    folders_ = std::make_unique<FolderMap>();
    errorNumber_ = ENOMEM;
  }
  if (!read) text_.reset();
  if (read) Log(std::string(Tr("mailbox file loaded.")));
  loading_ = false;
  return read;
}

// Lines are read one at a time and only noted: where each message starts and which folder it
// names. A file on disk is read again message by message when it is converted; other input is
// kept in memory meanwhile.
bool MailboxReader::ReadMessages() {
  ExportSource source = OpenExportSource(inputPath_, Encoding());
  if (source.file == nullptr) {
    errorNumber_ = source.errorNumber != 0 ? source.errorNumber : EIO;
    return false;
  }
  if (!source.note.empty()) Log(source.note);
  LineReader reader(source.file.get());
  reader.Prepend(source.start);
  std::string copy;
  const bool readAgain = CanReadAgain(source.file.get());
  if (!readAgain) reader.KeepCopy(&copy);
  if (reader.ChooseLineEnds()) Log(std::string(Tr("export has CR line ends; read as lines.")));
  std::string_view line;
  bool blankBeforeFirstSeparator = true;
  for (;;) {
    const std::uint64_t lineStart = reader.Offset();
    if (!reader.NextLine(line)) break;
    if (line.starts_with(kSeparator)) {
      if (stop_.stop_requested()) {
        stopped_ = true;
        return false;
      }
      CloseMessage(lineStart);
    } else if (messageCount_ == 0 && blankBeforeFirstSeparator) {
      blankBeforeFirstSeparator = IsBlank(line);
    }
    if (messageCount_ > 0 && inHeader_) {
      if (line.empty()) {
        inHeader_ = false;
      } else if (!messageFolder_) {
        messageFolder_ = FolderNameInLine(line);
      }
    }
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
  CloseMessage(reader.Offset());
  text_ = readAgain ? std::make_unique<ExportText>(std::move(source.file), source.startOffset,
                                                   reader.CrEndsLines())
                    : std::make_unique<ExportText>(std::move(copy), reader.CrEndsLines());
  return true;
}

// Files the message that ends at `end` unless it is the text before the first separator
// line, and counts one more for the progress display.
void MailboxReader::CloseMessage(std::uint64_t end) {
  if (messageCount_ > 0) {
    std::string folder = messageFolder_ ? std::move(*messageFolder_) : std::string(kDefaultFolder);
    folders_->Append(folder, MessageSpan{messageStart_, end - messageStart_});
  }
  messageStart_ = end;
  messageFolder_.reset();
  inHeader_ = true;
  ++messageCount_;
  if (status_ != nullptr) status_->SetStatusText(Format(Tr("loading mails: %1"), messageCount_));
}

bool MailboxReader::ReadMessage(const MessageSpan& span, MessageText& text) {
  if (text_ == nullptr) return false;
  if (text_->Read(span, text)) return true;
  errorNumber_ = text_->ErrorNumber();
  changed_ = errorNumber_ == 0;
  return false;
}

bool MailboxReader::ExportUnchanged() {
  if (text_ == nullptr || text_->Unchanged()) return true;
  errorNumber_ = 0;
  changed_ = true;
  return false;
}

std::optional<std::string> MailboxReader::FolderNameInLine(std::string_view line) {
  if (!line.starts_with(kFolderTag)) return std::nullopt;
  return std::string(line.substr(kFolderTag.size()));
}

std::string MailboxReader::ErrorMessage() const {
  if (stopped_) return std::string(StoppedText());
  if (changed_) return Format(Tr("%1 changed while it was being converted."), inputPath_);
  if (notAnExport_) {
    return Format(Tr("%1 is not a Calypso export (no line starts with \"%2\")."), inputPath_,
                  kSeparator);
  }
  if (errorNumber_ == 0) return {};
  if (errorNumber_ == ENOMEM) return Format(Tr("not enough memory to read %1"), inputPath_);
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
