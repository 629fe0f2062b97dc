#include "settings/registry_text_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_key.h"
#include "settings/registry_value_text.h"

namespace vandrel {
namespace {

struct ParsedValue {
  std::string name;
  std::uint32_t type = 0;
  std::string bytes;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Reads a quoted text from the start of `text` and leaves `text` just past its closing quote.
std::optional<std::string> ReadQuoted(std::string_view& text) {
  if (!ConsumePrefix(text, "\"")) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\':
      case '"':
        out += text[i];
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ReadHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
    return std::nullopt;
  }
  return ParseHexNumber(digits);
}

std::optional<ParsedValue> ReadData(std::string_view data, ParsedValue value) {
  if (!data.empty() && data.front() == '"') {
    std::optional<std::string> text = ReadQuoted(data);
    if (!text || !TrimLeft(data).empty()) return std::nullopt;
    value.type = static_cast<std::uint32_t>(RegistryType::String);
    value.bytes = std::move(*text) + '\0';
    return value;
  }
  if (ConsumePrefix(data, "dword:")) {
    const std::optional<std::uint32_t> number = ReadHexNumber(TrimRight(data));
    if (!number) return std::nullopt;
    value.type = static_cast<std::uint32_t>(RegistryType::Dword);
    for (int i = 0; i < 4; ++i)
      value.bytes += static_cast<char>((*number >> (8 * i)) & 0xff);
    return value;
  }
  if (ConsumePrefix(data, "hex:")) {
    value.type = static_cast<std::uint32_t>(RegistryType::Binary);
  } else if (ConsumePrefix(data, "hex(")) {
    const std::size_t close = data.find("):");
    const std::optional<std::uint32_t> type =
        close == std::string_view::npos ? std::nullopt : ReadHexNumber(data.substr(0, close));
    if (!type) return std::nullopt;
    value.type = *type;
    data.remove_prefix(close + 2);
  } else {
    return std::nullopt;
  }
  std::optional<std::string> bytes = ParseByteList(data);
  if (!bytes) return std::nullopt;
  value.bytes = std::move(*bytes);
  return value;
}

// Reads the value line at lines[index], joining the lines that continue a wrapped hex list, and
// leaves `index` at the last line it used.
std::optional<ParsedValue> ReadValueLine(const std::vector<std::string_view>& lines,
                                         std::size_t& index) {
  std::string_view line = lines[index];
  ParsedValue value;
  if (!ConsumePrefix(line, "@")) {
    std::optional<std::string> name = ReadQuoted(line);
    if (!name) return std::nullopt;
    value.name = std::move(*name);
  }
  line = TrimLeft(line);
  if (!ConsumePrefix(line, "=")) return std::nullopt;
  std::string data(TrimLeft(line));
  if (data.rfind("hex", 0) == 0) {
    while (!TrimRight(data).empty() && TrimRight(data).back() == '\\' && index + 1 < lines.size()) {
      data.resize(TrimRight(data).size());
      data.pop_back();
      data += TrimLeft(lines[++index]);
    }
  }
  return ReadData(TrimRight(data), std::move(value));
}

class TextReader {
 public:
  RegistryText Read(std::string_view text) {
    ConsumePrefix(text, "\xEF\xBB\xBF");
    lines_ = SplitLines(text);
    bool header = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const std::string_view line = TrimRight(lines_[index_]);
      if (line.empty()) continue;
      if (!header) {
        header = true;
        if (line == "REGEDIT4") continue;
        result_.complete = false;
      }
      ReadLine(line);
    }
    return std::move(result_);
  }

 private:
  void ReadLine(std::string_view line) {
    if (line.front() == '[') {
      ReadKeyLine(line);
    } else if (std::optional<ParsedValue> value = ReadValueLine(lines_, index_); value && key_) {
      if (result_.document.SetValue(*key_, value->name, value->type, std::move(value->bytes))) {
        result_.complete = false;
      }
    } else {
      result_.complete = false;
    }
  }

  void ReadKeyLine(std::string_view line) {
    if (line.size() < 3 || line.back() != ']') {
      key_.reset();
      result_.complete = false;
      return;
    }
    key_ = std::string(line.substr(1, line.size() - 2));
    result_.document.AddKey(*key_);
  }

  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::optional<std::string> key_;
  RegistryText result_;
};

}  // namespace

RegistryText ReadRegistryText(std::string_view text) {
  return TextReader().Read(text);
}

}  // namespace vandrel
