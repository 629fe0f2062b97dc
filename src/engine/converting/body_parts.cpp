#include "engine/converting/body_parts.h"

#include <vector>

#include "engine/converting/file_transfer_encoding.h"
#include "engine/converting/header_charset.h"

namespace vandrel {

namespace {

// The path before the reference's first ";"; empty when it has none.
std::string HtmlBodyPath(const std::string& reference) {
  const std::size_t semicolon = reference.find(';');
  return semicolon == std::string::npos ? std::string()
                                        : WithoutQuotes(reference.substr(0, semicolon));
}

// True when the HTML body file was read. A file that is there but cannot be read is reported
// like a missing one and leaves no part behind: the text parts stand in for it.
bool AddHtmlBody(mime::MailMessage& output, const std::string& path, ReferencedFiles& files,
                 std::string_view exportCharset) {
  if (path.empty() || files.StopRequested()) return false;
  const std::string local = files.Locate(path);
  if (local.empty()) {
    files.ReportMissing(path);
    return false;
  }
  mime::MimePart* part = output.CreatePart({});
  part->SetFieldValue("Content-Description", "html body");
  part->SetFieldValue("Content-Type", "text/html");
  part->SetFieldValue("Content-Transfer-Encoding", "7bit");
  if (!files.TakeInto(*part, local, ExportFileName(path))) {
    output.ErasePart(part);
    files.ReportMissing(path);
    return false;
  }
  MarkContentTypeCharset(*part, exportCharset);
  KeepFileBytesExact(*part);
  return true;
}

// A quoted-printable part that takes over the text of `source`.
void AddTextPart(mime::MailMessage& output, mime::MimePart& source,
                 std::string_view exportCharset) {
  const std::string sourceCharset = source.GetFieldParameter("Content-Type", "charset");
  mime::MimePart* part = output.CreatePart({});
  part->SetFieldValue("Content-Type", "text/plain");
  part->SetCharset(sourceCharset.empty() ? exportCharset : sourceCharset);
  MarkContentTypeCharset(*part, exportCharset);
  part->SetFieldValue("Content-Transfer-Encoding", "quoted-printable");
  part->MoveContentFrom(source);
}

}  // namespace

void AddBodyParts(mime::MailMessage& source, mime::MailMessage& output,
                  const std::string& htmlBodyReference, ReferencedFiles& files,
                  std::string_view exportCharset) {
  if (AddHtmlBody(output, HtmlBodyPath(htmlBodyReference), files, exportCharset)) return;

  std::vector<mime::MimePart*> leaves;
  source.CollectLeafParts(leaves);
  bool foundText = false;
  for (mime::MimePart* leaf : leaves) {
    if (leaf->GetMediaType() != mime::kMediaText || leaf->Content().empty()) continue;
    foundText = true;
    AddTextPart(output, *leaf, exportCharset);
  }
  if (!foundText) AddTextPart(output, source, exportCharset);
}

}  // namespace vandrel
