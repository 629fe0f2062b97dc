// The ordered field list of one body part: loaded from and stored to text, looked up by name
// ignoring case (first match wins), changed by replace-or-append.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "mime/header_field.h"
#include "mime/media_type.h"

namespace vandrel::mime {

class PartHeader {
 public:
  // Fields live in a deque so that pointers from GetField survive appends.
  using FieldList = std::deque<HeaderField>;

  PartHeader() = default;
  PartHeader(const PartHeader&) = default;
  PartHeader& operator=(const PartHeader&) = default;
  virtual ~PartHeader() = default;

  virtual void Clear();
  // Upper bound of what Store writes; -1 when it exceeds the library's 32-bit sizes.
  virtual int GetStoreLength() const;
  // Writes every field and the blank line; 0 or a negative value passed up from a field.
  virtual int Store(char* buffer, int capacity) const;
  // Appends the fields of the header block at the start of `text` and returns the bytes
  // consumed, blank line included; 0 when a field cannot be read. Never reads outside `text`.
  virtual int Load(std::string_view text);

  const FieldList& Fields() const { return fields_; }
  FieldList::const_iterator FindField(std::string_view name) const;
  const HeaderField* GetField(std::string_view name) const;
  HeaderField* GetField(std::string_view name);

  // Overwrites the first field of that name in place, or appends a copy at the end.
  void SetField(const HeaderField& field);
  void SetField(HeaderField&& field);
  void SetFieldValue(std::string_view name, std::string_view value, std::string_view charset = {});

  // The attribute's value in the first field of that name; empty when either is absent.
  std::string GetFieldParameter(std::string_view fieldName, std::string_view attribute) const;

  // Conveniences around the first "Content-Type" field.
  std::string GetName() const;
  std::string GetBoundary() const;
  MediaType GetMediaType() const;
  std::string GetMainType() const;
  void SetCharset(std::string_view charset);
  void SetName(std::string_view fileName);
  // Makes the header multipart with that boundary.
  void SetBoundary(std::string_view boundary);
  // Makes the header multipart with a generated boundary.
  void SetBoundary();

 protected:
  // Appends the other header's fields in their order; the other header is left without any.
  void AppendFields(PartHeader&& other);

 private:
  FieldList fields_;
};

// "__=_Part_Boundary_NNN_RRRRRR.RRRRRR": a counter that runs 1 to 9 and two pseudo-random
// numbers seeded from the time and `seedAddress`.
std::string GenerateBoundary(const void* seedAddress);

}  // namespace vandrel::mime
