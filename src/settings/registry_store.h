// Writes one typed value under a registry key and reads one value back as a type word and a text.
// The store keeps nothing between operations: every call opens and closes its key, and callers
// make a local store for each use.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/registry_root.h"

namespace vandrel {

class RegistryStore {
 public:
  // The largest value, in bytes, that ReadValue can give back.
  static constexpr std::size_t kQueryLimit = 1024;
  // The largest REG_BINARY value, in bytes, that WriteValue sets.
  static constexpr std::size_t kBinaryLimit = 512;

  RegistryStore() = default;
  virtual ~RegistryStore() = default;

  // Creates the key when it is missing and sets the value. The type word is "REG_SZ" (the name
  // "@" then means the key's unnamed default value), "REG_DWORD" (data: a hexadecimal number) or
  // "REG_BINARY" (data: bytes as two hexadecimal digits each, separated by ","); any other word,
  // or a byte list that cannot be read or holds more than kBinaryLimit bytes, sets nothing.
  // Failures are silent: the value is then simply not remembered.
  void WriteValue(RegistryRoot root, std::string_view subKey, std::string_view typeWord,
                  std::string_view valueName, std::string_view data);

  // False, with both outputs untouched, when the key does not exist. Otherwise the outputs become
  // "REG_SZ" and "", and the result is false when the value is missing or larger than
  // kQueryLimit. A readable value gives "STRING", "DWORD" or "HEX" with its text; a value of any
  // other type answers true and leaves "REG_SZ" and "".
  bool ReadValue(RegistryRoot root, std::string_view subKey, std::string_view valueName,
                 std::string& typeWord, std::string& data);
};

}  // namespace vandrel
