// The export is Windows text in its code page (Windows-1252 unless told otherwise). Text that
// leaves it as a file name or as something shown to the user is UTF-8 on every system.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

inline constexpr std::string_view kDefaultExportCodePage = "CP1252";

// The characters an export's lines are made of wherever the reader looks for something: tab,
// the line ends, and 0x20 to 0x7E (the field names, the separator lines, Windows paths).
inline constexpr std::string_view kExportAscii =
    "\t\n\r !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
    "abcdefghijklmnopqrstuvwxyz{|}~";

// The code page of an export when none is named: kDefaultExportCodePage, and on Windows the
// ANSI code page of the system's own locale, the one Calypso wrote in there.
std::string DefaultExportCodePage();

class ExportEncoding {
 public:
  enum class Fit {
    kUsable,
    kUnknown,       // the system does not know the code page, or none was named
    kNotAsciiText,  // known, but an export cannot be in it: see FitOf
  };

  // Whether an export can be in the code page: every character of kExportAscii must be that
  // same byte in it, on its own. UTF-16 and UTF-32, EBCDIC, UTF-7 and a Shift_JIS that reads the
  // backslash as a yen sign are not; the reader would find no field name and no path in them.
  static Fit FitOf(std::string_view codePage);
  // Null unless the code page is usable.
  static std::unique_ptr<ExportEncoding> Create(std::string_view codePage);
  static std::unique_ptr<ExportEncoding> Create() { return Create(DefaultExportCodePage()); }

  ExportEncoding(const ExportEncoding&) = delete;
  ExportEncoding& operator=(const ExportEncoding&) = delete;
  virtual ~ExportEncoding();

  // Export text as UTF-8; bytes that do not convert become U+FFFD.
  std::string ToSystemText(std::string_view text);
  // A header value decoded from encoded words is in their charset, when the system knows it;
  // otherwise, and without a charset, it is export text.
  std::string ToSystemText(std::string_view text, std::string_view charset);

  // UTF-8 text (whole characters) in the export's code page, for an export that an editor saved
  // again in Unicode. A character the code page lacks becomes "?", never a look-alike.
  std::string FromUtf8(std::string_view text);

  // The code page's name as it was asked for.
  const std::string& CodePage() const { return codePage_; }

 private:
  class Converter;
  ExportEncoding(std::string codePage, std::unique_ptr<Converter> exportConverter);
  Converter* ConverterFor(std::string_view charset);

  std::string codePage_;
  std::unique_ptr<Converter> export_;
  std::unique_ptr<Converter> fromUtf8_;  // made when first needed
  std::map<std::string, std::unique_ptr<Converter>, std::less<>> charsets_;
};

}  // namespace vandrel
