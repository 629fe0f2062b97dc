#include "engine/converting/attachment_parts.h"

#include <algorithm>

#include "engine/converting/file_transfer_encoding.h"
#include "engine/converting/header_charset.h"
#include "engine/converting/named_path.h"
#include "engine/reading/message_text.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kAttachmentField = "X-Attachment: ";
constexpr std::size_t kExtensionWindow = 5;

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

// A sender's text may repeat the field without end; the report needs only some of them.
constexpr std::size_t kMostNamedInTextReported = 1000;

// `headerSize` bytes of the text are the header block, whose lines that start with the field
// were taken as names of files already.
void ReportFilesNamedInText(std::string_view messageText, std::size_t headerSize,
                            ReferencedFiles& files) {
  std::size_t reported = 0;
  for (std::size_t at = messageText.find(kAttachmentField);
       at != std::string_view::npos && reported < kMostNamedInTextReported;
       at = messageText.find(kAttachmentField, at + 1)) {
    const std::size_t lineEnd = std::min(messageText.find('\n', at), messageText.size());
    const bool headerLine = at > 0 && at < headerSize && messageText[at - 1] == '\n';
    const std::size_t after = at + kAttachmentField.size();
    const std::string path = NamedPath(messageText.substr(after, lineEnd - after));
    if (!headerLine && !path.empty()) {
      files.ReportNamedInText(path);
      ++reported;
    }
    at = lineEnd;
  }
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

// Every header line that starts with the field names a file; the field anywhere else, in the
// text or in the middle of a line, names nothing and is only reported, so that a damaged export
// is noticed.
void AddAttachments(std::string_view messageText, mime::MailMessage& output, ReferencedFiles& files,
                    std::string_view exportCharset) {
  const std::string_view header = HeaderBlock(messageText);
  for (std::size_t lineStart = 0; lineStart < header.size();) {
    const std::size_t lineEnd = std::min(header.find('\n', lineStart), header.size());
    const std::string_view line = header.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.starts_with(kAttachmentField)) continue;
    if (files.StopRequested()) return;
    const std::string path = NamedPath(line.substr(kAttachmentField.size()));
    if (!path.empty()) AddAttachment(output, path, files, exportCharset);
  }
  ReportFilesNamedInText(messageText, header.size(), files);
}

}  // namespace vandrel
