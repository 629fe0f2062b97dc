// The keys and values of one settings file in memory. Key paths and value names are matched
// ignoring ASCII case, as the Windows registry matches them; the order of keys and values is kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

class RegistryDocument {
 public:
  struct Value {
    std::string name;  // empty for a key's default value
    std::uint32_t type = 0;
    std::string bytes;
    bool operator==(const Value&) const = default;
  };
  struct Key {
    std::string path;  // the full path, root key name first
    std::vector<Value> values;
    bool operator==(const Key&) const = default;
  };

  const std::vector<Key>& Keys() const { return keys_; }

  // True when the key was added, false when it was there already.
  bool AddKey(std::string_view path);
  // True for a key that was added and for a key that lies below it, since adding a key also
  // makes the keys above it.
  bool HasKey(std::string_view path) const;
  // Adds the key when needed; true when a value of that name was replaced.
  bool SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                std::string bytes);
  const Value* FindValue(std::string_view path, std::string_view name) const;

 private:
  Key* FindKey(std::string_view path);
  const Key* FindKey(std::string_view path) const;

  std::vector<Key> keys_;
};

}  // namespace vandrel
