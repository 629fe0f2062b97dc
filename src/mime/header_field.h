// One header field of a message or body part: name, value (encoded words already decoded) and
// the charset in which the value's non-ASCII words are written back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::mime {

struct ParameterSpan {
  std::size_t offset = 0;  // into the field value
  std::size_t length = 0;  // quotes included when the value is quoted
};

class HeaderField {
 public:
  HeaderField() = default;
  HeaderField(std::string fieldName, std::string fieldValue, std::string fieldCharset = {})
      : name(std::move(fieldName)),
        value(std::move(fieldValue)),
        charset(std::move(fieldCharset)) {}

  std::string name;     // as spelled by the caller or the loaded text, without the colon
  std::string value;    // text after the colon and the blanks behind it; may hold parameters
  std::string charset;  // empty: the value is written byte for byte

  // Locates the value of parameter `attribute` (the text after "attribute=" behind a semicolon).
  bool FindParameter(std::string_view attribute, ParameterSpan& span) const;
  // The parameter's value without its quotes; false and an emptied output when absent.
  bool GetParameter(std::string_view attribute, std::string& out) const;
  // Replaces the parameter's value, or appends "; attribute=" and the text, always quoted.
  void SetParameter(std::string_view attribute, std::string_view text);

  // Upper bound of what Store writes (exact when the value is copied unchanged); -1 when the
  // field is too large for the library's 32-bit sizes.
  int GetStoreLength() const;
  // Writes "name: value" and CR LF; 0 when the buffer cannot take the name and the line's fixed
  // bytes.
  int Store(char* buffer, int capacity) const;
  // Reads one field from the start of `text`; returns the bytes consumed, 0 at the blank line
  // that ends a header or when no complete field can be read. Never reads outside `text`.
  int Load(std::string_view text);
};

}  // namespace vandrel::mime
