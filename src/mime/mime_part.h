// One body part: a header, owned decoded content, and owned child parts that make a multipart
// part the root of a tree. The whole tree is stored into one caller buffer and loaded from text.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/part_header.h"

namespace vandrel::mime {

class MimePart : public PartHeader {
 public:
  MimePart() = default;
  MimePart(const MimePart&) = delete;
  MimePart& operator=(const MimePart&) = delete;
  ~MimePart() override;

  // Replaces the content with a copy; a length of 0 takes the text up to its NUL.
  // Returns the new length, or -1 when memory runs out (the old content is then kept).
  int SetContent(const char* bytes, int length);
  int SetContent(std::string_view bytes);
  // Takes over the content of `source` as it is, without copying it; `source` is left without
  // content. Returns the new length.
  int MoveContentFrom(MimePart& source);
  // Copies up to `capacity` content bytes and returns their count.
  int CopyContent(char* buffer, int capacity) const;
  // The content bytes; when the part has no content the output is left as it was and 0 returned.
  int GetContent(std::string& out) const;
  std::string_view Content() const;
  bool HasContent() const { return content_ != nullptr; }

  // Reads a regular file whole, byte for byte, into the content and names the part after the
  // text behind the path's last backslash. False, and the part unchanged, when the file cannot
  // be opened, is not a regular file, does not fit the library's 32-bit sizes or fails to read.
  bool ReadFile(const std::string& path);
  // The same, naming the part `partName` instead (a file found under another path than the
  // one a message gave for it keeps the name the message gave).
  bool ReadFile(const std::string& path, std::string_view partName);

  // Creates a child for the media type name ("text" when empty), inserted before `before` when
  // that is a child, else appended. The part owns it.
  MimePart* CreatePart(std::string_view mediaTypeName, const MimePart* before = nullptr);
  void ErasePart(const MimePart* child);
  void DeleteAllParts();
  const std::vector<std::unique_ptr<MimePart>>& Children() const { return children_; }
  // Appends every non-multipart part of the tree, depth first in document order.
  int CollectLeafParts(std::vector<MimePart*>& parts);
  int CollectLeafParts(std::vector<const MimePart*>& parts) const;

  void Clear() override;
  // Upper bound of what Store writes, the NUL after the closing line included; -1 when the tree
  // exceeds the library's 32-bit sizes.
  int GetStoreLength() const override;
  // Writes header, encoded content and children between boundary lines. A multipart text is
  // followed by a NUL that is not counted. -1 for children without a boundary.
  int Store(char* buffer, int capacity) const override;
  // Reads a whole tree; returns the bytes consumed, 0 when no header can be read, -1 when
  // memory runs out. Never reads outside `text`. A part kMaxNesting levels below this one is
  // loaded as a leaf whatever its type: its header, and all the rest as its content. That keeps
  // the stack and the time of a load bounded, whatever the message's shape.
  int Load(std::string_view text) override;
  // Whether the last Load met a part nested that deep.
  bool NestingCut() const { return nestingCut_; }

  // Where a loaded part stood in the text that the top-level Load read: its header lines and
  // its encoded content as they were written, without the line break that belongs to the
  // boundary line after it. The header is the first `headerLength` bytes of it.
  struct SourceSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t headerLength = 0;
  };
  const SourceSpan& LoadedSpan() const { return loadedSpan_; }

  // From now on the part is stored as exactly these bytes (a part taken over whole from another
  // message), instead of its fields, content and children.
  void SetVerbatim(std::string text) { verbatim_ = std::move(text); }
  bool IsVerbatim() const { return verbatim_.has_value(); }

  static constexpr int kMaxNesting = 64;

 private:
  std::string_view TransferEncoding() const;
  int StoreChildren(char* buffer, int capacity, int written) const;
  int LoadAtDepth(std::string_view text, int depth, bool& nestingCut);
  int LoadBody(std::string_view text, int headerLength, int depth, bool& nestingCut);
  int StoreVerbatim(char* buffer, int capacity) const;
  int LoadChildren(std::string_view text, std::size_t delimiterStart, const std::string& delimiter,
                   int depth, bool& nestingCut);
  bool DecodeContent(std::string_view encoded);

  std::unique_ptr<char[]> content_;  // followed by a NUL that is not part of the content
  int contentLength_ = 0;
  std::vector<std::unique_ptr<MimePart>> children_;
  bool nestingCut_ = false;
  SourceSpan loadedSpan_;
  std::optional<std::string> verbatim_;
};

// The top-level part of a message.
class MailMessage : public MimePart {
 public:
  ~MailMessage() override;
};

}  // namespace vandrel::mime
