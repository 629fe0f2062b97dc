#include "settings/registry_store.h"

#include <cstdint>
#include <optional>

#include "settings/registry_key.h"
#include "settings/registry_value_text.h"

namespace vandrel {
namespace {

// Names and texts reach the platform as C strings, so they end at the first NUL.
std::string CString(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
  return bytes;
}

void SetTypedValue(RegistryKey& key, std::string_view typeWord, const std::string& name,
                   std::string_view data) {
  if (typeWord == "REG_SZ") {
    std::string text = CString(data);
    text += '\0';
    key.SetValue(name == "@" ? std::string() : name, RegistryType::String, text);
  } else if (typeWord == "REG_DWORD") {
    key.SetValue(name, RegistryType::Dword, DwordBytes(ParseHexNumber(data)));
  } else if (typeWord == "REG_BINARY") {
    const std::optional<std::string> bytes = ParseByteList(data);
    if (bytes && bytes->size() <= RegistryStore::kBinaryLimit) {
      key.SetValue(name, RegistryType::Binary, *bytes);
    }
  }
}

}  // namespace

void RegistryStore::WriteValue(RegistryRoot root, std::string_view subKey,
                               std::string_view typeWord, std::string_view valueName,
                               std::string_view data) {
  const std::unique_ptr<RegistryKey> key = CreateRegistryKey(root, CString(subKey));
  if (!key) return;
  SetTypedValue(*key, typeWord, CString(valueName), data);
  key->Close();
}

bool RegistryStore::ReadValue(RegistryRoot root, std::string_view subKey,
                              std::string_view valueName, std::string& typeWord,
                              std::string& data) {
  const std::unique_ptr<RegistryKey> key = OpenRegistryKey(root, CString(subKey));
  if (!key) return false;
  typeWord = "REG_SZ";
  data.clear();
  const std::optional<RegistryData> value = key->QueryValue(CString(valueName), kQueryLimit);
  key->Close();
  if (!value) return false;
  switch (value->type) {
    case RegistryType::String:
      typeWord = "STRING";
      data = CString(value->bytes);
      break;
    case RegistryType::Dword:
      typeWord = "DWORD";
      data = FormatDword(value->bytes);
      break;
    case RegistryType::Binary:
      typeWord = "HEX";
      data = FormatByteList(value->bytes);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace vandrel
