#include "settings/registry_document.h"

#include <algorithm>

namespace vandrel {
namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool IsAtOrBelow(std::string_view keyPath, std::string_view path) {
  if (keyPath.size() > path.size() && keyPath[path.size()] == '\\') {
    keyPath = keyPath.substr(0, path.size());
  }
  return EqualIgnoringCase(keyPath, path);
}

template <typename Keys>
auto FindIn(Keys& keys, std::string_view path) -> decltype(&keys.front()) {
  auto it = std::find_if(keys.begin(), keys.end(),
                         [path](const auto& key) { return EqualIgnoringCase(key.path, path); });
  return it == keys.end() ? nullptr : &*it;
}

}  // namespace

bool RegistryDocument::AddKey(std::string_view path) {
  if (FindKey(path) != nullptr) return false;
  keys_.push_back(Key{std::string(path), {}});
  return true;
}

bool RegistryDocument::HasKey(std::string_view path) const {
  return std::any_of(keys_.begin(), keys_.end(),
                     [path](const Key& key) { return IsAtOrBelow(key.path, path); });
}

bool RegistryDocument::SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                                std::string bytes) {
  AddKey(path);
  Key& key = *FindKey(path);
  for (Value& value : key.values) {
    if (EqualIgnoringCase(value.name, name)) {
      value = Value{std::string(name), type, std::move(bytes)};
      return true;
    }
  }
  key.values.push_back(Value{std::string(name), type, std::move(bytes)});
  return false;
}

const RegistryDocument::Value* RegistryDocument::FindValue(std::string_view path,
                                                           std::string_view name) const {
  const Key* key = FindKey(path);
  if (key == nullptr) return nullptr;
  for (const Value& value : key->values) {
    if (EqualIgnoringCase(value.name, name)) return &value;
  }
  return nullptr;
}

RegistryDocument::Key* RegistryDocument::FindKey(std::string_view path) {
  return FindIn(keys_, path);
}

const RegistryDocument::Key* RegistryDocument::FindKey(std::string_view path) const {
  return FindIn(keys_, path);
}

}  // namespace vandrel
