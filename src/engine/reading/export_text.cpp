#include "engine/reading/export_text.h"

#include <cerrno>

#include "engine/reading/line_reader.h"

namespace vandrel {

ExportText::ExportText(FilePointer file, std::uint64_t base, bool crEndsLines)
    : file_(std::move(file)),
      base_(base),
      stamp_(StampOf(file_.get())),
      crEndsLines_(crEndsLines) {}

ExportText::ExportText(std::string bytes, bool crEndsLines)
    : bytes_(std::move(bytes)), crEndsLines_(crEndsLines) {}

bool ExportText::Read(const MessageSpan& span, MessageText& text) {
  errorNumber_ = 0;
  if (file_ == nullptr) {
    if (span.offset > bytes_.size() || span.length > bytes_.size() - span.offset) return false;
    text.assign(bytes_, span.offset, span.length);
  } else {
    // Room for the line ends that reading may add, so that they do not move the text again.
    text.reserve(span.length + span.length / 32 + 2);
    text.resize(span.length);
    errno = 0;
    if (!ReadAt(file_.get(), base_ + span.offset, text.data(), text.size())) {
      errorNumber_ = errno;
      return false;
    }
  }
  ToExportLines(text, crEndsLines_);
  return true;
}

bool ExportText::Unchanged() const {
  return file_ == nullptr || StampOf(file_.get()) == stamp_;
}

}  // namespace vandrel
