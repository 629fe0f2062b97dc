// A compiled message catalog (the .mo files msgfmt writes), read in place from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vandrel {

class MessageCatalog {
 public:
  // An empty catalog when the bytes are not a catalog; every lookup then finds nothing.
  explicit MessageCatalog(std::span<const unsigned char> bytes);

  bool IsValid() const { return count_ != 0; }

  // The translation of the text, or nothing. A key with a context is "context\x04text".
  std::optional<std::string_view> Find(std::string_view key) const;

  // The plural form `form` (0 singular, 1 plural) of the entry whose singular is the key.
  std::optional<std::string_view> FindPlural(std::string_view key, std::size_t form) const;

 private:
  struct Entry {
    std::string_view original;
    std::string_view translation;
  };
  std::optional<Entry> EntryAt(std::size_t index) const;
  std::optional<std::string_view> StringAt(std::size_t table, std::size_t index) const;
  std::optional<std::uint32_t> WordAt(std::size_t offset) const;
  std::optional<Entry> Lookup(std::string_view key) const;

  std::span<const unsigned char> bytes_;
  bool swapped_ = false;
  std::size_t count_ = 0;
  std::size_t originals_ = 0;
  std::size_t translations_ = 0;
};

}  // namespace vandrel
