// On Windows the export's bytes are the system's own ANSI text: nothing is converted.
#include "engine/reading/export_encoding.h"

namespace vandrel {

class ExportEncoding::Converter {};

ExportEncoding::ExportEncoding(std::unique_ptr<Converter> exportConverter)
    : export_(std::move(exportConverter)) {}
ExportEncoding::~ExportEncoding() = default;

std::unique_ptr<ExportEncoding> ExportEncoding::Create(std::string_view) {
  return std::unique_ptr<ExportEncoding>(new ExportEncoding(std::make_unique<Converter>()));
}

std::string ExportEncoding::ToSystemText(std::string_view text) {
  return std::string(text);
}

std::string ExportEncoding::ToSystemText(std::string_view text, std::string_view) {
  return std::string(text);
}

ExportEncoding::Converter* ExportEncoding::ConverterFor(std::string_view) {
  return export_.get();
}

}  // namespace vandrel
