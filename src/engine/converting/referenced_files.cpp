#include "engine/converting/referenced_files.h"

#include "mime/ascii.h"
#include "mime/bounded_text.h"
#include "mime/regular_file.h"

namespace vandrel {

ReferencedFiles::ReferencedFiles(std::vector<std::string> searchFolders, ExportEncoding* encoding,
                                 FindingsLog& findings)
    : resolver_(std::move(searchFolders)), encoding_(encoding), findings_(findings) {}

std::string ReferencedFiles::Locate(const std::string& pathAsWritten) {
  std::string local = resolver_.Resolve(pathAsWritten);
  if (local.empty() && encoding_ != nullptr) {
    const std::string converted = encoding_->ToSystemText(pathAsWritten);
    if (converted != pathAsWritten) local = resolver_.Resolve(converted);
  }
  return local;
}

namespace {

// The most a transfer encoding makes of n bytes, line ends included.
std::int64_t EncodedAtMost(std::string_view encoding, std::int64_t n) {
  if (mime::EqualsIgnoreCase(encoding, "base64")) return (n + 2) / 3 * 4 + n / 38 + 4;
  if (mime::EqualsIgnoreCase(encoding, "quoted-printable")) return 3 * n + 3 * n / 72 + 4;
  return 2 * n;  // each bare line feed may gain a CR
}

}  // namespace

bool ReferencedFiles::TakeInto(mime::MimePart& part, const std::string& localPath,
                               std::string_view partName) {
  if (use_ == Use::kRead) {
    if (!part.ReadFile(localPath, partName)) return false;
  } else {
    // As reading checks it: a regular file, opened without blocking, of a size a part takes.
    mime::RegularFile file;
    if (!file.Open(localPath)) return false;
    const std::int64_t size = file.Size();
    if (size < 0 || size > static_cast<std::int64_t>(mime::kMaxTextLength) - 4) return false;
    part.SetName(partName);
    const mime::HeaderField* encoding = part.GetField("Content-Transfer-Encoding");
    unread_[&part] = EncodedAtMost(encoding != nullptr ? encoding->value : "", size);
  }
  ++filesFound_;
  return true;
}

std::int64_t ReferencedFiles::UnreadBytes(const mime::MailMessage& message) const {
  std::int64_t bytes = 0;
  for (const auto& child : message.Children()) {
    if (const auto found = unread_.find(child.get()); found != unread_.end()) {
      bytes += found->second;
    }
  }
  return bytes;
}

void ReferencedFiles::ReportMissing(const std::string& pathAsWritten) {
  findings_.MissingFile(Shown(pathAsWritten));
}

void ReferencedFiles::ReportNamedInText(const std::string& pathAsWritten) {
  findings_.FileNamedInText(Shown(pathAsWritten));
}

std::string ReferencedFiles::Shown(const std::string& pathAsWritten) const {
  return encoding_ != nullptr ? encoding_->ToSystemText(pathAsWritten) : pathAsWritten;
}

}  // namespace vandrel
