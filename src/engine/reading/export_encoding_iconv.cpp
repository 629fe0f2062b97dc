// The converters of ExportEncoding on systems with iconv.
#include <iconv.h>

#include <cerrno>

#include "engine/reading/export_encoding.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
}  // namespace

// One iconv descriptor, used by one thread at a time.
class ExportEncoding::Converter {
 public:
  static std::unique_ptr<Converter> Open(std::string_view from) {
    const iconv_t handle = ::iconv_open("UTF-8", std::string(from).c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::unique_ptr<Converter>(new Converter(handle));
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
      // A byte that does not convert, or an incomplete sequence at the end.
      out += kReplacement;
      ++in;
      --inLeft;
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    ::iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return out;
  }

 private:
  explicit Converter(iconv_t handle) : handle_(handle) {}
  iconv_t handle_;
};

std::string DefaultExportCodePage() {
  return std::string(kDefaultExportCodePage);
}

ExportEncoding::ExportEncoding(std::unique_ptr<Converter> exportConverter)
    : export_(std::move(exportConverter)) {}
ExportEncoding::~ExportEncoding() = default;

std::unique_ptr<ExportEncoding> ExportEncoding::Create(std::string_view codePage) {
  auto converter = Converter::Open(codePage);
  if (converter == nullptr) return nullptr;
  return std::unique_ptr<ExportEncoding>(new ExportEncoding(std::move(converter)));
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
