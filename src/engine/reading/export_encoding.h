// The export is Windows text in its code page (Windows-1252 unless told otherwise). Text that
// leaves it as a file name or as something shown to the user is UTF-8 on every system.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

inline constexpr std::string_view kDefaultExportCodePage = "CP1252";

// The code page of an export when none is named: kDefaultExportCodePage, and on Windows the
// ANSI code page of the system's own locale, the one Calypso wrote in there.
std::string DefaultExportCodePage();

class ExportEncoding {
 public:
  // Null when the system does not know the code page.
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
