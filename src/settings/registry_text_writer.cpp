#include "settings/registry_text_writer.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "settings/registry_key.h"
#include "settings/registry_value_text.h"

namespace vandrel {
namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::string_view kIndent = "  ";

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendName(std::string& out, std::string_view name) {
  if (name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, name);
  }
  out += '=';
}

bool IsPlainText(std::string_view bytes) {
  if (bytes.empty() || bytes.back() != '\0') return false;
  bytes.remove_suffix(1);
  return std::none_of(bytes.begin(), bytes.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7f;
  });
}

void AppendHexList(std::string& out, std::string line, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // Room for two digits, a comma and the "\" that continues a wrapped line.
    if (line.size() + 4 > kLineWidth) {
      out += line;
      out += "\\\n";
      line = kIndent;
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    line += kDigits[byte >> 4];
    line += kDigits[byte & 0x0f];
    if (i + 1 < bytes.size()) line += ',';
  }
  out += line;
  out += '\n';
}

void AppendValue(std::string& out, const RegistryDocument::Value& value) {
  std::string line;
  AppendName(line, value.name);
  if (value.type == static_cast<std::uint32_t>(RegistryType::String) && IsPlainText(value.bytes)) {
    AppendQuoted(line, std::string_view(value.bytes).substr(0, value.bytes.size() - 1));
    out += line;
    out += '\n';
  } else if (value.type == static_cast<std::uint32_t>(RegistryType::Dword) &&
             value.bytes.size() == 4) {
    out += line + "dword:" + FormatDword(value.bytes) + '\n';
  } else if (value.type == static_cast<std::uint32_t>(RegistryType::Binary)) {
    AppendHexList(out, line + "hex:", value.bytes);
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
    AppendHexList(out, line + type, value.bytes);
  }
}

}  // namespace

std::string WriteRegistryText(const RegistryDocument& document) {
  std::string out = "REGEDIT4\n";
  for (const RegistryDocument::Key& key : document.Keys()) {
    out += "\n[";
    out += key.path;
    out += "]\n";
    for (const RegistryDocument::Value& value : key.values)
      AppendValue(out, value);
  }
  out += '\n';
  return out;
}

}  // namespace vandrel
