#include "engine/converting/file_transfer_encoding.h"

#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::size_t kMaxSevenBitLine = 998;

bool LineEndsAreCrLf(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return true;
}

}  // namespace

bool SevenBitCarries(std::string_view bytes) {
  std::size_t lineLength = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0 || byte > 0x7F) return false;
    if (c == '\r' || c == '\n') {
      lineLength = 0;
    } else if (++lineLength > kMaxSevenBitLine) {
      return false;
    }
  }
  return LineEndsAreCrLf(bytes);
}

bool QuotedPrintableCarries(std::string_view bytes) {
  return LineEndsAreCrLf(bytes);
}

void KeepFileBytesExact(mime::MimePart& part) {
  const mime::HeaderField* field = part.GetField("Content-Transfer-Encoding");
  if (field == nullptr) return;
  const std::string_view content = part.Content();
  const bool carried = mime::EqualsIgnoreCase(field->value, "7bit") ? SevenBitCarries(content)
                       : mime::EqualsIgnoreCase(field->value, "quoted-printable")
                           ? QuotedPrintableCarries(content)
                           : true;
  if (!carried) part.SetFieldValue("Content-Transfer-Encoding", "base64");
}

}  // namespace vandrel
