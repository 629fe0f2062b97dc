#include "engine/converting/body_parts.h"

#include <algorithm>
#include <vector>

#include "engine/converting/file_transfer_encoding.h"
#include "engine/converting/header_charset.h"
#include "engine/converting/named_path.h"
#include "mime/ascii.h"
#include "mime/char_class.h"

namespace vandrel {

namespace {

constexpr std::string_view kPlainText = "text/plain";

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

bool IsSubtypeChar(char c) {
  return mime::IsAlphaNumChar(c) || std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
}

// The leaf's own "text/..." type in lower case, without its parameters: an HTML alternative
// must not be shown as plain text. "text/plain" where it names none that can be written back.
std::string TextMediaType(const mime::MimePart& leaf) {
  const mime::HeaderField* field = leaf.GetField("Content-Type");
  if (field == nullptr) return std::string(kPlainText);
  std::string_view type = std::string_view(field->value).substr(0, field->value.find(';'));
  const std::size_t end = type.find_last_not_of(" \t\r\n");
  type = type.substr(0, end == std::string_view::npos ? 0 : end + 1);
  constexpr std::string_view kText = "text/";
  if (!mime::StartsWithIgnoreCase(type, kText) || type.size() == kText.size() ||
      !std::all_of(type.begin() + kText.size(), type.end(), IsSubtypeChar)) {
    return std::string(kPlainText);
  }
  return mime::ToLowerAscii(type);
}

// A quoted-printable part that takes over the text of `source`, or stays empty.
void AddTextPart(mime::MailMessage& output, mime::MimePart& source, std::string_view exportCharset,
                 bool takeText = true) {
  const std::string sourceCharset = source.GetFieldParameter("Content-Type", "charset");
  mime::MimePart* part = output.CreatePart({});
  part->SetFieldValue("Content-Type", TextMediaType(source));
  part->SetCharset(sourceCharset.empty() ? exportCharset : sourceCharset);
  MarkContentTypeCharset(*part, exportCharset);
  part->SetFieldValue("Content-Transfer-Encoding", "quoted-printable");
  if (takeText) {
    part->MoveContentFrom(source);
  } else {
    part->SetContent(std::string_view());
  }
}

// Every part without children, in document order. A multipart part without any (its boundary
// missing, or left whole at the nesting limit) is one too; only the message itself is not, as
// its own text is the body when nothing else is.
void CollectLeaves(mime::MimePart& part, bool top, std::vector<mime::MimePart*>& leaves) {
  if (part.Children().empty()) {
    if (!top || part.GetMediaType() != mime::kMediaMultipart) leaves.push_back(&part);
    return;
  }
  for (const auto& child : part.Children())
    CollectLeaves(*child, false, leaves);
}

bool IsText(const mime::MimePart& leaf) {
  return leaf.GetMediaType() == mime::kMediaText;
}

// The message's own header describes its content with its "Content-" fields; the rest of it
// (addresses, subject, Calypso's lines) belongs to the message, not to the part.
std::string ContentFieldLines(std::string_view header) {
  std::string lines;
  bool keep = false;
  for (std::size_t start = 0; start < header.size();) {
    const std::size_t end = std::min(header.find('\n', start), header.size() - 1) + 1;
    const std::string_view line = header.substr(start, end - start);
    start = end;
    if (line.starts_with("\r\n") || line == "\r") break;
    const bool continued = line.front() == ' ' || line.front() == '\t';
    if (!continued) keep = mime::StartsWithIgnoreCase(line, "Content-");
    if (keep) lines += line;
  }
  return lines;
}

// The leaf as it stood in the source: its header lines and its encoded content, byte for byte.
std::string SourceTextOf(const mime::MimePart& leaf, bool top, std::string_view sourceText) {
  const mime::MimePart::SourceSpan& span = leaf.LoadedSpan();
  if (span.offset > sourceText.size()) return {};
  const std::string_view text = sourceText.substr(span.offset, span.length);
  if (!top) return std::string(text);
  const std::size_t headerLength = std::min(span.headerLength, text.size());
  std::string whole = ContentFieldLines(text.substr(0, headerLength));
  whole += "\r\n";
  whole += text.substr(headerLength);
  return whole;
}

}  // namespace

void AddBodyParts(mime::MailMessage& source, std::string_view sourceText, mime::MailMessage& output,
                  const std::string& htmlBodyReference, ReferencedFiles& files,
                  std::string_view exportCharset) {
  std::vector<mime::MimePart*> leaves;
  CollectLeaves(source, true, leaves);
  if (!AddHtmlBody(output, NamedPath(htmlBodyReference), files, exportCharset)) {
    bool foundText = false;
    for (mime::MimePart* leaf : leaves) {
      if (!IsText(*leaf) || leaf->Content().empty()) continue;
      foundText = true;
      AddTextPart(output, *leaf, exportCharset);
    }
    // A message that is one picture or document keeps it below, not as text.
    const bool sourceIsCarried = leaves.size() == 1 && leaves.front() == &source && !IsText(source);
    if (!foundText) AddTextPart(output, source, exportCharset, !sourceIsCarried);
  }
  for (const mime::MimePart* leaf : leaves) {
    if (IsText(*leaf)) continue;
    output.CreatePart({})->SetVerbatim(SourceTextOf(*leaf, leaf == &source, sourceText));
  }
}

}  // namespace vandrel
