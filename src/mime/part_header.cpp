#include "mime/part_header.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "mime/ascii.h"
#include "mime/bounded_text.h"
#include "mime/header_lines.h"

namespace vandrel::mime {

namespace {

constexpr std::string_view kContentType = "Content-Type";

// Offset just behind the blank line whose CR is at `position`, never beyond the text.
int PastBlankLine(std::string_view text, std::size_t position) {
  return static_cast<int>(std::min(position + 2, text.size()));
}

}  // namespace

void PartHeader::Clear() {
  fields_.clear();
}

int PartHeader::GetStoreLength() const {
  std::int64_t total = 2;
  for (const HeaderField& field : fields_) {
    const int length = field.GetStoreLength();
    if (length < 0) return -1;
    total += length;
  }
  return total > static_cast<std::int64_t>(kMaxTextLength) ? -1 : static_cast<int>(total);
}

int PartHeader::Store(char* buffer, int capacity) const {
  int written = 0;
  for (const HeaderField& field : fields_) {
    const int n = field.Store(buffer + written, capacity - written);
    if (n <= 0) return n;
    written += n;
  }
  if (capacity - written < 2) return 0;
  buffer[written++] = '\r';
  buffer[written++] = '\n';
  return written;
}

int PartHeader::Load(std::string_view text) {
  if (text.size() > kMaxTextLength) return -1;
  std::size_t offset = 0;
  while (true) {
    const char c = ByteAt(text, offset);
    if (c == '\0') return static_cast<int>(offset);
    if (c == '\r') return PastBlankLine(text, offset);
    // Lines that cannot start a field, right before the blank line or the end, end the header
    // rather than failing it, so the body after them is still read.
    const SkippedLines skipped = SkipLinesBeforeField(text, offset);
    if (skipped.next == LineStart::kBlankLine) return PastBlankLine(text, skipped.position);
    if (skipped.next == LineStart::kEndOfText) return static_cast<int>(text.size());

    HeaderField field;
    const int consumed = field.Load(text.substr(offset));
    if (consumed <= 0) return consumed;
    fields_.push_back(std::move(field));
    offset += static_cast<std::size_t>(consumed);
  }
}

void PartHeader::AppendFields(PartHeader&& other) {
  if (fields_.empty()) {
    fields_ = std::move(other.fields_);
  } else {
    std::move(other.fields_.begin(), other.fields_.end(), std::back_inserter(fields_));
  }
  other.fields_.clear();
}

PartHeader::FieldList::const_iterator PartHeader::FindField(std::string_view name) const {
  return std::find_if(fields_.begin(), fields_.end(), [name](const HeaderField& field) {
    return EqualsIgnoreCase(field.name, name);
  });
}

const HeaderField* PartHeader::GetField(std::string_view name) const {
  const auto it = FindField(name);
  return it == fields_.end() ? nullptr : &*it;
}

HeaderField* PartHeader::GetField(std::string_view name) {
  return const_cast<HeaderField*>(std::as_const(*this).GetField(name));
}

void PartHeader::SetField(const HeaderField& field) {
  SetField(HeaderField(field));
}

void PartHeader::SetField(HeaderField&& field) {
  if (HeaderField* existing = GetField(field.name)) {
    *existing = std::move(field);
  } else {
    fields_.push_back(std::move(field));
  }
}

void PartHeader::SetFieldValue(std::string_view name, std::string_view value,
                               std::string_view charset) {
  SetField(HeaderField(std::string(name), std::string(value), std::string(charset)));
}

std::string PartHeader::GetFieldParameter(std::string_view fieldName,
                                          std::string_view attribute) const {
  std::string out;
  if (const HeaderField* field = GetField(fieldName)) field->GetParameter(attribute, out);
  return out;
}

std::string PartHeader::GetName() const {
  return GetFieldParameter(kContentType, "name");
}

std::string PartHeader::GetBoundary() const {
  return GetFieldParameter(kContentType, "boundary");
}

MediaType PartHeader::GetMediaType() const {
  const HeaderField* field = GetField(kContentType);
  return MediaTypeFromName(field != nullptr ? std::string_view(field->value) : "text");
}

std::string PartHeader::GetMainType() const {
  const HeaderField* field = GetField(kContentType);
  if (field == nullptr) return "text";
  return field->value.substr(0, field->value.find('/'));
}

void PartHeader::SetCharset(std::string_view charset) {
  if (HeaderField* field = GetField(kContentType)) {
    field->SetParameter("charset", charset);
    return;
  }
  HeaderField field(std::string(kContentType), "text/plain");
  field.SetParameter("charset", charset);
  fields_.push_back(std::move(field));
}

void PartHeader::SetName(std::string_view fileName) {
  if (HeaderField* field = GetField(kContentType)) {
    field->SetParameter("name", fileName);
    return;
  }
  HeaderField field(std::string(kContentType), ContentTypeForFileName(fileName));
  field.SetParameter("name", fileName);
  fields_.push_back(std::move(field));
}

void PartHeader::SetBoundary(std::string_view boundary) {
  if (HeaderField* field = GetField(kContentType)) {
    if (!StartsWithIgnoreCase(field->value, "multipart")) field->value = "multipart/mixed";
    field->SetParameter("boundary", boundary);
    return;
  }
  HeaderField field(std::string(kContentType), "multipart/mixed");
  field.SetParameter("boundary", boundary);
  fields_.push_back(std::move(field));
}

void PartHeader::SetBoundary() {
  SetBoundary(GenerateBoundary(this));
}

}  // namespace vandrel::mime
