// The narrow interface between the store and the platform that keeps the values: open a key,
// set a typed value, query a value with its type, close. The Windows registry and the text file
// used elsewhere both sit behind it, so the store behaves the same on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/registry_root.h"

namespace vandrel {

// Value types numbered as the Windows registry numbers them; the text file keeps the same numbers.
enum class RegistryType : std::uint32_t {
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Dword = 4,
  MultiString = 7,
};

struct RegistryData {
  RegistryType type = RegistryType::String;
  std::string bytes;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // False when the value could not be set (for instance on a key opened for reading).
  virtual bool SetValue(const std::string& name, RegistryType type, std::string_view bytes) = 0;
  // Empty when the value is missing or holds more than `capacity` bytes.
  virtual std::optional<RegistryData> QueryValue(const std::string& name, std::size_t capacity) = 0;
  // Ends the use of the key; a key opened for writing keeps its changes only when this succeeds.
  // Closing again does nothing and answers true.
  virtual bool Close() = 0;
};

// Creates the key when it is missing and opens it for writing; null when that fails.
std::unique_ptr<RegistryKey> CreateRegistryKey(RegistryRoot root, const std::string& subKey);
// Opens an existing key for reading; null when it does not exist or cannot be opened.
std::unique_ptr<RegistryKey> OpenRegistryKey(RegistryRoot root, const std::string& subKey);

}  // namespace vandrel
