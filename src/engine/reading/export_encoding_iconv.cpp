// The converters of ExportEncoding on systems with iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "engine/reading/export_encoding.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The bytes of the UTF-8 character that starts with `lead`; 1 for a byte that starts none.
std::size_t Utf8CharacterLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

// One iconv descriptor, used by one thread at a time. What does not convert becomes the
// replacement; `skip` says how much of the input it stands for.
class ExportEncoding::Converter {
 public:
  enum class Skip { kByte, kUtf8Character };

  static std::unique_ptr<Converter> Open(std::string_view from, std::string_view to = "UTF-8",
                                         std::string_view replacement = kReplacement,
                                         Skip skip = Skip::kByte) {
    const iconv_t handle = ::iconv_open(std::string(to).c_str(), std::string(from).c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::unique_ptr<Converter>(new Converter(handle, replacement, skip));
  }
  ~Converter() { ::iconv_close(handle_); }

  std::string Convert(std::string_view text) {
    ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
    std::string out;
    char buffer[1024];
    auto* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = ::iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, sizeof buffer - outLeft);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // A byte or character that does not convert, or an incomplete sequence at the end.
      out += replacement_;
      const std::size_t skipped =
          skip_ == Skip::kByte
              ? 1
              : std::min(inLeft, Utf8CharacterLength(static_cast<unsigned char>(*in)));
      in += skipped;
      inLeft -= skipped;
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    ::iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return out;
  }

  // Each on its own, with a fresh shift state: a code page that needs a byte before or after
  // an ASCII character to make it fails too.
  bool KeepsExportAscii() {
    for (const char c : kExportAscii) {
      if (Convert({&c, 1}) != std::string_view(&c, 1)) return false;
    }
    return true;
  }

 private:
  Converter(iconv_t handle, std::string_view replacement, Skip skip)
      : handle_(handle), replacement_(replacement), skip_(skip) {}
  iconv_t handle_;
  std::string replacement_;
  Skip skip_;
};

std::string DefaultExportCodePage() {
  return std::string(kDefaultExportCodePage);
}

ExportEncoding::ExportEncoding(std::string codePage, std::unique_ptr<Converter> exportConverter)
    : codePage_(std::move(codePage)), export_(std::move(exportConverter)) {}
ExportEncoding::~ExportEncoding() = default;

ExportEncoding::Fit ExportEncoding::FitOf(std::string_view codePage) {
  // iconv takes an empty name for the locale's character set.
  const auto converter = codePage.empty() ? nullptr : Converter::Open(codePage);
  if (converter == nullptr) return Fit::kUnknown;
  return converter->KeepsExportAscii() ? Fit::kUsable : Fit::kNotAsciiText;
}

std::unique_ptr<ExportEncoding> ExportEncoding::Create(std::string_view codePage) {
  auto converter = codePage.empty() ? nullptr : Converter::Open(codePage);
  if (converter == nullptr || !converter->KeepsExportAscii()) return nullptr;
  return std::unique_ptr<ExportEncoding>(
      new ExportEncoding(std::string(codePage), std::move(converter)));
}

std::string ExportEncoding::FromUtf8(std::string_view text) {
  if (fromUtf8_ == nullptr) {
    fromUtf8_ = Converter::Open("UTF-8", codePage_, "?", Converter::Skip::kUtf8Character);
  }
  return fromUtf8_ != nullptr ? fromUtf8_->Convert(text) : std::string(text);
}

std::string ExportEncoding::ToSystemText(std::string_view text) {
  return export_->Convert(text);
}

std::string ExportEncoding::ToSystemText(std::string_view text, std::string_view charset) {
  Converter* converter = charset.empty() ? nullptr : ConverterFor(charset);
  return (converter != nullptr ? converter : export_.get())->Convert(text);
}

ExportEncoding::Converter* ExportEncoding::ConverterFor(std::string_view charset) {
  const std::string key = mime::ToLowerAscii(charset);
  auto found = charsets_.find(key);
  if (found == charsets_.end()) found = charsets_.emplace(key, Converter::Open(key)).first;
  return found->second.get();
}

}  // namespace vandrel
