// Ordered name-to-creator list behind the library's factories. Names are compared ignoring
// ASCII case; the registered name strings are literals and are not copied.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "mime/ascii.h"

namespace vandrel::mime {

template <typename Base>
class CodecRegistry {
 public:
  using Creator = std::unique_ptr<Base> (*)();

  // Removes every entry of that name, then puts the new one in front unless creator is null.
  void Register(const char* name, Creator creator) {
    const std::string_view key = name == nullptr ? std::string_view() : std::string_view(name);
    std::erase_if(entries_, [key](const Entry& e) { return EqualsIgnoreCase(e.name, key); });
    if (creator != nullptr) entries_.insert(entries_.begin(), Entry{name == nullptr ? "" : name, creator});
  }

  // The creator of the first entry whose name matches, or null.
  Creator Find(std::string_view name) const {
    for (const Entry& e : entries_) {
      if (EqualsIgnoreCase(e.name, name)) return e.creator;
    }
    return nullptr;
  }

  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    const char* name;
    Creator creator;
  };
  std::vector<Entry> entries_;
};

}  // namespace vandrel::mime
