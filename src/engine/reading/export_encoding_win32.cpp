// The converters of ExportEncoding on Windows: the system's own code page tables
// (MultiByteToWideChar), with bytes a code page leaves undefined made U+FFFD as iconv makes them.
#include <windows.h>

#include <array>
#include <charconv>
#include <optional>

#include "engine/reading/export_encoding.h"
#include "mime/ascii.h"
#include "platform/utf16_win32.h"

namespace vandrel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::optional<UINT> Number(std::string_view digits) {
  UINT value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

// MIME charset names of encoded words that name no number.
struct NamedCodePage {
  std::string_view name;
  UINT codePage;
};
constexpr NamedCodePage kNamedCodePages[] = {
    {"utf-8", CP_UTF8},   {"us-ascii", 20127}, {"koi8-r", 20866},      {"koi8-u", 21866},
    {"shift_jis", 932},   {"euc-jp", 20932},   {"iso-2022-jp", 50220}, {"gb2312", 936},
    {"gbk", 936},         {"big5", 950},       {"euc-kr", 51949},      {"ks_c_5601-1987", 949},
    {"macintosh", 10000}, {"ibm850", 850},     {"ibm437", 437},
};

// "CPnnnn", "windows-nnnn", "ISO-8859-n", "UTF-8" and the names above, ignoring case.
std::optional<UINT> CodePageNumber(std::string_view name) {
  const std::string lower = mime::ToLowerAscii(name);
  const std::string_view text = lower;
  if (text.starts_with("cp")) return Number(text.substr(2));
  if (text.starts_with("windows-")) return Number(text.substr(8));
  if (text.starts_with("iso-8859-")) {
    const auto part = Number(text.substr(9));
    if (part && *part >= 1 && *part <= 16) return 28590 + *part;
    return std::nullopt;
  }
  for (const NamedCodePage& named : kNamedCodePages) {
    if (text == named.name) return named.codePage;
  }
  return std::nullopt;
}

// Windows' own code pages fill their holes with C1 controls, which iconv refuses.
bool IsWindowsCodePage(UINT codePage) {
  return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

bool IsUndefined(UINT codePage, unsigned char byte, wchar_t unit) {
  if (byte < 0x80) return false;
  if (unit >= 0xE000 && unit <= 0xF8FF) return true;  // private use: no character
  return IsWindowsCodePage(codePage) && unit >= 0x80 && unit <= 0x9F;
}

std::string WideText(UINT codePage, std::string_view text) {
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return platform::Narrow(wide);
}

// The length of the well-formed UTF-8 sequence at the start, 0 when there is none (overlong
// forms, surrogates and values above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || text.size() < length) return 0;
  const auto second = static_cast<unsigned char>(text[1]);
  const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (second < low || second > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

// One code page: a byte table for single-byte code pages, the system's conversion otherwise.
class ExportEncoding::Converter {
 public:
  static std::unique_ptr<Converter> Open(std::string_view name) {
    const std::optional<UINT> codePage = CodePageNumber(name);
    if (!codePage || !::IsValidCodePage(*codePage)) return nullptr;
    return std::unique_ptr<Converter>(new Converter(*codePage));
  }

  std::string Convert(std::string_view text) const {
    if (codePage_ == CP_UTF8) return CheckedUtf8(text);
    if (!singleByte_) return WideText(codePage_, text);
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text)
      out += bytes_[static_cast<unsigned char>(c)];
    return out;
  }

 private:
  explicit Converter(UINT codePage) : codePage_(codePage) {
    CPINFO info{};
    singleByte_ = codePage != CP_UTF8 && ::GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
    if (!singleByte_) return;
    for (unsigned value = 0; value < bytes_.size(); ++value) {
      const char byte = static_cast<char>(value);
      wchar_t unit = 0;
      const bool converted = ::MultiByteToWideChar(codePage, 0, &byte, 1, &unit, 1) == 1;
      const bool undefined =
          !converted || IsUndefined(codePage, static_cast<unsigned char>(value), unit);
      bytes_[value] = undefined ? std::string(kReplacement) : platform::Narrow({&unit, 1});
    }
  }

  static std::string CheckedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
      const std::size_t length = Utf8SequenceLength(text);
      out += length == 0 ? kReplacement : text.substr(0, length);
      text.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
  }

  UINT codePage_;
  bool singleByte_ = false;
  std::array<std::string, 256> bytes_;

 public:
  // Each on its own: a code page that needs a byte before or after an ASCII character to make
  // it fails too.
  bool KeepsExportAscii() const {
    for (const char c : kExportAscii) {
      if (Convert({&c, 1}) != std::string_view(&c, 1)) return false;
    }
    return true;
  }

  // UTF-8 (whole characters) in this code page, "?" for what it lacks: no best fit, and a
  // character beyond the 16-bit range (a surrogate pair) one "?" like any other.
  std::string FromUtf8(std::string_view text) const {
    if (codePage_ == CP_UTF8) return std::string(text);
    std::wstring wide = platform::Widen(text);
    if (codePage_ != 54936) {  // GB18030 is the one that holds such characters
      std::wstring single;
      for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool pair = wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size() &&
                          wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000;
        single += pair ? L'?' : wide[i];
        if (pair) ++i;
      }
      wide.swap(single);
    }
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                          "?", nullptr);
    return out;
  }
};

std::string DefaultExportCodePage() {
  // The system locale's code page, not GetACP(): a UTF-8 manifest makes that one 65001.
  wchar_t digits[8] = {};
  if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) > 0) {
    const std::string number = platform::Narrow(digits);
    if (Number(number).value_or(0) != 0) return "CP" + number;
  }
  return std::string(kDefaultExportCodePage);
}

ExportEncoding::ExportEncoding(std::string codePage, std::unique_ptr<Converter> exportConverter)
    : codePage_(std::move(codePage)), export_(std::move(exportConverter)) {}
ExportEncoding::~ExportEncoding() = default;

ExportEncoding::Fit ExportEncoding::FitOf(std::string_view codePage) {
  const auto converter = Converter::Open(codePage);
  if (converter == nullptr) return Fit::kUnknown;
  return converter->KeepsExportAscii() ? Fit::kUsable : Fit::kNotAsciiText;
}

std::unique_ptr<ExportEncoding> ExportEncoding::Create(std::string_view codePage) {
  auto converter = Converter::Open(codePage);
  if (converter == nullptr || !converter->KeepsExportAscii()) return nullptr;
  return std::unique_ptr<ExportEncoding>(
      new ExportEncoding(std::string(codePage), std::move(converter)));
}

std::string ExportEncoding::FromUtf8(std::string_view text) {
  return export_->FromUtf8(text);
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
