#include "mime/mime_part.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "mime/body_part_factory.h"
#include "mime/bounded_text.h"
#include "mime/transfer_codec_factory.h"

namespace vandrel::mime {

namespace {

// Room for `length` bytes and the NUL behind them; null when memory runs out.
std::unique_ptr<char[]> AllocateContent(std::size_t length) {
  return std::unique_ptr<char[]>(new (std::nothrow) char[length + 1]);
}

// Writes "\r\n--boundary" + `tail` + "\r\n" and a NUL behind it when all of it fits;
// returns the bytes counted (without the NUL), 0 when it does not fit.
int WriteBoundaryLine(char* buffer, int capacity, std::string_view boundary,
                      std::string_view tail) {
  const std::size_t length = boundary.size() + tail.size() + 6;
  if (capacity < 0 || static_cast<std::size_t>(capacity) < length + 1) return 0;
  char* out = buffer;
  std::memcpy(out, "\r\n--", 4);
  out += 4;
  std::memcpy(out, boundary.data(), boundary.size());
  out += boundary.size();
  std::memcpy(out, tail.data(), tail.size());
  out += tail.size();
  std::memcpy(out, "\r\n", 3);  // with the NUL
  return static_cast<int>(length);
}

}  // namespace

MimePart::~MimePart() = default;
MailMessage::~MailMessage() = default;

int MimePart::SetContent(const char* bytes, int length) {
  if (bytes == nullptr || length < 0) return SetContent(std::string_view());
  if (length == 0) return SetContent(std::string_view(bytes));
  return SetContent(std::string_view(bytes, static_cast<std::size_t>(length)));
}

int MimePart::SetContent(std::string_view bytes) {
  if (bytes.size() > kMaxTextLength - 4) return -1;
  auto copy = AllocateContent(bytes.size());
  if (copy == nullptr) return -1;
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  copy[bytes.size()] = '\0';
  content_ = std::move(copy);
  contentLength_ = static_cast<int>(bytes.size());
  return contentLength_;
}

int MimePart::MoveContentFrom(MimePart& source) {
  if (&source != this) {
    content_ = std::move(source.content_);
    contentLength_ = std::exchange(source.contentLength_, 0);
  }
  return contentLength_;
}

int MimePart::CopyContent(char* buffer, int capacity) const {
  const int count = std::max(0, std::min(capacity, contentLength_));
  if (count > 0) std::memcpy(buffer, content_.get(), static_cast<std::size_t>(count));
  return count;
}

int MimePart::GetContent(std::string& out) const {
  if (content_ == nullptr) return 0;
  out.assign(content_.get(), static_cast<std::size_t>(contentLength_));
  return contentLength_;
}

std::string_view MimePart::Content() const {
  return content_ == nullptr
             ? std::string_view()
             : std::string_view(content_.get(), static_cast<std::size_t>(contentLength_));
}

MimePart* MimePart::CreatePart(std::string_view mediaTypeName, const MimePart* before) {
  auto part = CreateBodyPart(mediaTypeName);
  MimePart* created = part.get();
  const auto position = std::find_if(children_.begin(), children_.end(),
                                     [before](const auto& child) { return child.get() == before; });
  children_.insert(before == nullptr ? children_.end() : position, std::move(part));
  return created;
}

void MimePart::ErasePart(const MimePart* child) {
  std::erase_if(children_, [child](const auto& c) { return c.get() == child; });
}

void MimePart::DeleteAllParts() {
  while (!children_.empty())
    children_.pop_back();
}

namespace {

template <typename Part, typename List>
int CollectLeaves(Part& part, List& parts) {
  if (part.GetMediaType() != kMediaMultipart) {
    parts.push_back(&part);
    return 1;
  }
  int count = 0;
  for (const auto& child : part.Children())
    count += CollectLeaves(static_cast<Part&>(*child), parts);
  return count;
}

}  // namespace

int MimePart::CollectLeafParts(std::vector<MimePart*>& parts) {
  return CollectLeaves(*this, parts);
}

int MimePart::CollectLeafParts(std::vector<const MimePart*>& parts) const {
  return CollectLeaves(*this, parts);
}

void MimePart::Clear() {
  verbatim_.reset();
  loadedSpan_ = {};
  DeleteAllParts();
  content_.reset();
  contentLength_ = 0;
  PartHeader::Clear();
}

std::string_view MimePart::TransferEncoding() const {
  const HeaderField* field = GetField("Content-Transfer-Encoding");
  return field == nullptr ? std::string_view() : std::string_view(field->value);
}

int MimePart::GetStoreLength() const {
  if (verbatim_)
    return verbatim_->size() >= kMaxTextLength ? -1 : static_cast<int>(verbatim_->size());
  const int headerLength = PartHeader::GetStoreLength();
  if (headerLength < 0) return -1;
  auto codec = CreateTransferCodec(TransferEncoding());
  codec->SetInput(content_.get(), contentLength_, true);
  std::int64_t total = static_cast<std::int64_t>(headerLength) + codec->EncodedLength();
  if (!children_.empty()) {
    const auto boundaryLength = static_cast<std::int64_t>(GetBoundary().size());
    for (const auto& child : children_) {
      const int childLength = child->GetStoreLength();
      if (childLength < 0) return -1;
      total += boundaryLength + 6 + childLength;
    }
    // The closing line and the NUL written behind it.
    total += boundaryLength + 8 + 1;
  }
  return total >= static_cast<std::int64_t>(kMaxTextLength) ? -1 : static_cast<int>(total);
}

int MimePart::Store(char* buffer, int capacity) const {
  if (verbatim_) return StoreVerbatim(buffer, capacity);
  int written = PartHeader::Store(buffer, capacity);
  if (written <= 0) return written;
  auto codec = CreateTransferCodec(TransferEncoding());
  codec->SetInput(content_.get(), contentLength_, true);
  const int encoded = codec->Encode(buffer + written, capacity - written);
  if (encoded < 0) return encoded;
  written += encoded;
  if (children_.empty()) return written;
  return StoreChildren(buffer, capacity, written);
}

int MimePart::StoreVerbatim(char* buffer, int capacity) const {
  if (verbatim_->size() >= kMaxTextLength) return -1;
  const int n = std::max(0, std::min(capacity, static_cast<int>(verbatim_->size())));
  if (n > 0) std::memcpy(buffer, verbatim_->data(), static_cast<std::size_t>(n));
  return n;
}

int MimePart::StoreChildren(char* buffer, int capacity, int written) const {
  const std::string boundary = GetBoundary();
  if (boundary.empty()) return -1;
  const int delimiterLength = static_cast<int>(boundary.size()) + 6;
  bool first = true;
  for (const auto& child : children_) {
    if (capacity - written < delimiterLength + 1) break;
    // The first delimiter's line break stands in for the one that ends what came before.
    if (first && written >= 2 && buffer[written - 2] == '\r' && buffer[written - 1] == '\n') {
      written -= 2;
    }
    first = false;
    written += WriteBoundaryLine(buffer + written, capacity - written, boundary, "");
    const int childWritten = child->Store(buffer + written, capacity - written);
    if (childWritten < 0) return childWritten;
    written += childWritten;
  }
  written += WriteBoundaryLine(buffer + written, capacity - written, boundary, "--");
  return written;
}

bool MimePart::DecodeContent(std::string_view encoded) {
  auto codec = CreateTransferCodec(TransferEncoding());
  codec->SetInput(encoded.data(), static_cast<int>(encoded.size()), false);
  const int bound = codec->DecodedLength();
  if (bound > static_cast<int>(kMaxTextLength) - 4) return false;
  auto decoded = AllocateContent(static_cast<std::size_t>(bound) + 3);
  if (decoded == nullptr) return false;
  const int length = codec->Output(decoded.get(), bound);
  decoded[static_cast<std::size_t>(length)] = '\0';
  content_ = std::move(decoded);
  contentLength_ = length;
  return true;
}

int MimePart::Load(std::string_view text) {
  nestingCut_ = false;
  loadedSpan_ = {0, text.size(), 0};
  return LoadAtDepth(text, 0, nestingCut_);
}

int MimePart::LoadAtDepth(std::string_view text, int depth, bool& nestingCut) {
  if (text.size() > kMaxTextLength) return -1;
  const int headerLength = PartHeader::Load(text);
  if (headerLength <= 0) return headerLength;
  return LoadBody(text, headerLength, depth, nestingCut);
}

// What follows the header, which ends `headerLength` bytes into the text.
int MimePart::LoadBody(std::string_view text, int headerLength, int depth, bool& nestingCut) {
  content_.reset();
  contentLength_ = 0;
  loadedSpan_.headerLength = static_cast<std::size_t>(headerLength);

  const auto bodyStart = static_cast<std::size_t>(headerLength);
  std::size_t contentEnd = text.size();
  const bool multipart = GetMediaType() == kMediaMultipart;
  if (multipart && depth >= kMaxNesting) nestingCut = true;
  const std::string boundary = multipart && depth < kMaxNesting ? GetBoundary() : std::string();
  const std::string delimiter = boundary.empty() ? std::string() : "\r\n--" + boundary;
  if (!delimiter.empty()) {
    // From 2 bytes before the body, so a delimiter whose CR LF is the blank line is found.
    const std::size_t found = text.find(delimiter, bodyStart >= 2 ? bodyStart - 2 : 0);
    if (found != std::string_view::npos) contentEnd = std::max(found + 2, bodyStart);
  }
  if (contentEnd > bodyStart && !DecodeContent(text.substr(bodyStart, contentEnd - bodyStart))) {
    return -1;
  }
  if (contentEnd >= text.size()) return static_cast<int>(text.size());
  return LoadChildren(text, contentEnd - 2, delimiter, depth, nestingCut);
}

int MimePart::LoadChildren(std::string_view text, std::size_t delimiterStart,
                           const std::string& delimiter, int depth, bool& nestingCut) {
  std::size_t start = text.find(delimiter, delimiterStart);
  while (start != std::string_view::npos) {
    const std::size_t lineEnd = text.find(kCrLf, start + 2);
    if (lineEnd == std::string_view::npos) break;
    const std::size_t afterBoundary = start + delimiter.size();
    if (ByteAt(text, afterBoundary) == '-' && ByteAt(text, afterBoundary + 1) == '-') {
      return static_cast<int>(lineEnd + 2);
    }
    const std::size_t childStart = lineEnd + 2;
    const std::size_t next = text.find(delimiter, childStart);
    const std::string_view childText =
        text.substr(childStart, (next == std::string_view::npos ? text.size() : next) - childStart);

    // The header decides which part is made; it is read once and handed to that part.
    PartHeader childHeader;
    const int headerLength = childHeader.Load(childText);
    MimePart* child = CreatePart(childHeader.GetMainType());
    child->AppendFields(std::move(childHeader));
    child->loadedSpan_ = {loadedSpan_.offset + static_cast<std::size_t>(childStart),
                          childText.size(), 0};
    const int result =
        headerLength > 0 ? child->LoadBody(childText, headerLength, depth + 1, nestingCut) : 0;
    if (result < 0) {
      ErasePart(child);
      return result;
    }
    start = next;
  }
  return static_cast<int>(text.size());
}

}  // namespace vandrel::mime
