#include "engine/converting/attachment_parts.h"

#include <algorithm>

#include "engine/converting/file_transfer_encoding.h"
#include "engine/converting/header_charset.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kAttachmentField = "X-Attachment: ";
constexpr std::size_t kExtensionWindow = 5;

// The path of one occurrence's line: after the field text and one more character (the opening
// quote, as Calypso writes it) up to the first ";", quotes removed; empty without a ";".
std::string AttachmentPath(std::string_view line) {
  const std::size_t skip = kAttachmentField.size() + 1;
  if (line.size() <= skip) return {};
  const std::string_view rest = line.substr(skip);
  const std::size_t semicolon = rest.find(';');
  if (semicolon == std::string_view::npos) return {};
  return WithoutQuotes(rest.substr(0, semicolon));
}

void AddAttachment(mime::MailMessage& output, const std::string& path, ReferencedFiles& files,
                   std::string_view exportCharset) {
  const std::string local = files.Locate(path);
  if (local.empty()) {
    files.ReportMissing(path);
    return;
  }
  mime::MimePart* part = output.CreatePart({});
  const AttachmentType& type = AttachmentTypeFor(path);
  part->SetFieldValue("Content-Description", type.description);
  if (type.charset != nullptr) {
    part->SetFieldValue("Content-Type", type.contentType);
    part->SetCharset(exportCharset);
    part->SetFieldValue("Content-Transfer-Encoding", type.transferEncoding);
  } else {
    part->SetFieldValue("Content-Transfer-Encoding", type.transferEncoding);
    part->SetFieldValue("Content-Type", type.contentType);
  }
  // A file that is there but cannot be read (no permission, not a regular file, too large)
  // is left out and reported like a missing one: an empty part would look like the file.
  if (!files.TakeInto(*part, local, ExportFileName(path))) {
    output.ErasePart(part);
    files.ReportMissing(path);
    return;
  }
  MarkContentTypeCharset(*part, exportCharset);
  KeepFileBytesExact(*part);
}

}  // namespace

const AttachmentType& AttachmentTypeFor(std::string_view path) {
  const std::string lower = mime::ToLowerAscii(path);
  const std::string_view window = std::string_view(lower).substr(
      lower.size() > kExtensionWindow ? lower.size() - kExtensionWindow : 0);
  const auto match = std::find_if(AttachmentTypeTable.begin(), AttachmentTypeTable.end() - 1,
                                  [window](const AttachmentType& row) {
                                    return window.find(row.extension) != std::string_view::npos;
                                  });
  return *match;
}

void AddAttachments(std::string_view messageText, mime::MailMessage& output, ReferencedFiles& files,
                    std::string_view exportCharset) {
  std::size_t searchStart = 0;
  while (true) {
    const std::size_t occurrence = messageText.find(kAttachmentField, searchStart);
    if (occurrence == std::string_view::npos) return;
    const std::size_t lineEnd = messageText.find('\n', occurrence);
    if (lineEnd == std::string_view::npos) return;
    searchStart = lineEnd;
    const std::string path = AttachmentPath(messageText.substr(occurrence, lineEnd - occurrence));
    if (files.StopRequested()) return;
    if (!path.empty()) AddAttachment(output, path, files, exportCharset);
  }
}

}  // namespace vandrel
