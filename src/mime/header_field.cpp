#include "mime/header_field.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "mime/ascii.h"
#include "mime/bounded_text.h"
#include "mime/char_class.h"
#include "mime/encoded_word_codec.h"
#include "mime/field_codec.h"
#include "mime/header_lines.h"

namespace vandrel::mime {

namespace {

// A token ends at the first 7-bit control, blank or special byte; 8-bit bytes belong to it.
bool EndsToken(char c) {
  return HasCharClass(c, kControl | kSpace | kSpecial);
}

std::size_t TokenEnd(std::string_view v, std::size_t start) {
  std::size_t end = start;
  while (end < v.size() && !EndsToken(v[end]))
    ++end;
  return end;
}

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  if (text.empty() || text.front() != '"') quoted += '"';
  quoted += text;
  if (text.size() < 2 || text.back() != '"') quoted += '"';
  return quoted;
}

bool IsFoldBlank(char c) {
  return c == ' ' || c == '\t';
}

// Without a charset every field codec writes the value as it is, so none is made for it.
std::int64_t EncodedValueLength(const std::string& name, const std::string& value,
                                const std::string& charset) {
  if (!EncodedWordCodec::EncodesWith(charset)) return static_cast<std::int64_t>(value.size());
  auto codec = CreateFieldCodec(name);
  codec->charset = charset;
  codec->SetInput(value.data(), static_cast<int>(value.size()), true);
  return codec->EncodedLength();
}

int EncodeValue(const std::string& name, const std::string& value, const std::string& charset,
                char* buffer, int capacity) {
  if (!EncodedWordCodec::EncodesWith(charset)) {
    const int n = std::max(0, std::min(static_cast<int>(value.size()), capacity));
    if (n > 0) std::memcpy(buffer, value.data(), static_cast<std::size_t>(n));
    return n;
  }
  auto codec = CreateFieldCodec(name);
  codec->charset = charset;
  codec->SetInput(value.data(), static_cast<int>(value.size()), true);
  return codec->Encode(buffer, capacity);
}

// Every field reads its encoded words alike, whatever codec writes it.
void DecodeValue(std::string_view raw, std::string& value, std::string& charset) {
  EncodedWordCodec words;
  words.SetInput(raw.data(), static_cast<int>(raw.size()), false);
  value.resize(raw.size());
  value.resize(static_cast<std::size_t>(words.Output(value.data(), static_cast<int>(raw.size()))));
  charset = std::move(words.charset);
}

}  // namespace

bool HeaderField::FindParameter(std::string_view attribute, ParameterSpan& span) const {
  const std::string_view v = value;
  std::size_t position = v.find(';');
  if (position == std::string_view::npos) return false;
  while (true) {
    std::size_t start = position;
    while (start < v.size() && (IsSpaceChar(v[start]) || v[start] == ';'))
      ++start;
    const std::size_t equals = v.find('=', start);
    if (equals == std::string_view::npos) return false;
    const std::size_t valueStart = equals + 1;
    std::size_t valueEnd = TokenEnd(v, valueStart);
    if (ByteAt(v, valueStart) == '"') {
      const std::size_t closing = v.find('"', valueStart + 1);
      if (closing != std::string_view::npos) valueEnd = closing + 1;
    }
    const char after = ByteAt(v, start + attribute.size());
    if (EqualsIgnoreCase(v.substr(start, attribute.size()), attribute) &&
        (IsSpaceChar(after) || after == '=')) {
      span = ParameterSpan{valueStart, valueEnd - valueStart};
      return true;
    }
    position = valueEnd;
  }
}

bool HeaderField::GetParameter(std::string_view attribute, std::string& out) const {
  ParameterSpan span;
  out.clear();
  if (!FindParameter(attribute, span)) return false;
  std::string_view text = std::string_view(value).substr(span.offset, span.length);
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    if (!text.empty() && text.back() == '"') text.remove_suffix(1);
  }
  out.assign(text);
  return true;
}

void HeaderField::SetParameter(std::string_view attribute, std::string_view text) {
  const std::string quoted = Quoted(text);
  ParameterSpan span;
  if (FindParameter(attribute, span)) {
    value.replace(span.offset, span.length, quoted);
    return;
  }
  value.append("; ").append(attribute).append("=").append(quoted);
}

int HeaderField::GetStoreLength() const {
  if (name.size() > kMaxTextLength / 2 || value.size() > kMaxTextLength) return -1;
  const std::int64_t total =
      static_cast<std::int64_t>(name.size()) + 4 + EncodedValueLength(name, value, charset);
  return total > static_cast<std::int64_t>(kMaxTextLength) ? -1 : static_cast<int>(total);
}

int HeaderField::Store(char* buffer, int capacity) const {
  if (name.size() > kMaxTextLength / 2 || value.size() > kMaxTextLength) return -1;
  const int nameLength = static_cast<int>(name.size());
  if (capacity < nameLength + 4) return 0;
  std::memcpy(buffer, name.data(), name.size());
  buffer[nameLength] = ':';
  buffer[nameLength + 1] = ' ';
  const int written =
      EncodeValue(name, value, charset, buffer + nameLength + 2, capacity - nameLength - 4);
  buffer[nameLength + 2 + written] = '\r';
  buffer[nameLength + 3 + written] = '\n';
  return nameLength + 4 + written;
}

int HeaderField::Load(std::string_view text) {
  name.clear();
  value.clear();
  charset.clear();
  if (text.size() > kMaxTextLength) return 0;

  const SkippedLines skipped = SkipLinesBeforeField(text, 0);
  if (skipped.next != LineStart::kField) return 0;
  const std::size_t position = skipped.position;

  std::size_t valueStart = position;
  for (std::size_t i = position;; ++i) {
    const char c = ByteAt(text, i);
    if (c == '\0' || c == '\r' || c == '\n') break;
    if (c == ':') {
      name.assign(text.substr(position, i - position));
      valueStart = i + 1;
      break;
    }
  }
  while (IsFoldBlank(ByteAt(text, valueStart)))
    ++valueStart;

  // The field ends at the first CR LF that is not a fold (one followed by a blank).
  std::size_t end = valueStart;
  while (true) {
    end = text.find(kCrLf, end);
    if (end == std::string_view::npos) return 0;
    if (!IsFoldBlank(ByteAt(text, end + 2))) break;
    end += 2;
  }

  DecodeValue(text.substr(valueStart, end - valueStart), value, charset);
  return static_cast<int>(end + 2);
}

}  // namespace vandrel::mime
