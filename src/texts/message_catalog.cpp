#include "texts/message_catalog.h"

namespace vandrel {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;

// The part of a catalog string up to its first NUL: a plural entry holds its forms one after
// the other.
std::string_view FirstForm(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

MessageCatalog::MessageCatalog(std::span<const unsigned char> bytes) : bytes_(bytes) {
  const std::optional<std::uint32_t> magic = WordAt(0);
  if (!magic || (*magic != kMagic && *magic != kSwappedMagic)) return;
  swapped_ = *magic == kSwappedMagic;
  const std::optional<std::uint32_t> revision = WordAt(4);
  const std::optional<std::uint32_t> count = WordAt(8);
  const std::optional<std::uint32_t> originals = WordAt(12);
  const std::optional<std::uint32_t> translations = WordAt(16);
  if (!revision || (*revision >> 16) != 0 || !count || !originals || !translations) return;
  // Both tables must lie inside the bytes; each entry is a length and an offset.
  const std::uint64_t tableBytes = std::uint64_t{*count} * 8;
  if (*originals + tableBytes > bytes_.size() || *translations + tableBytes > bytes_.size()) {
    return;
  }
  originals_ = *originals;
  translations_ = *translations;
  count_ = *count;
}

std::optional<std::uint32_t> MessageCatalog::WordAt(std::size_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
  std::uint32_t word = 0;
  for (int i = 0; i < 4; ++i) {
    const int shift = swapped_ ? 8 * (3 - i) : 8 * i;
    word |= std::uint32_t{bytes_[offset + i]} << shift;
  }
  return word;
}

std::optional<std::string_view> MessageCatalog::StringAt(std::size_t table,
                                                         std::size_t index) const {
  const std::optional<std::uint32_t> length = WordAt(table + index * 8);
  const std::optional<std::uint32_t> offset = WordAt(table + index * 8 + 4);
  if (!length || !offset) return std::nullopt;
  // msgfmt ends every string with a NUL that its length does not count.
  if (std::uint64_t{*offset} + *length >= bytes_.size()) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + *offset, *length);
}

std::optional<MessageCatalog::Entry> MessageCatalog::EntryAt(std::size_t index) const {
  const std::optional<std::string_view> original = StringAt(originals_, index);
  const std::optional<std::string_view> translation = StringAt(translations_, index);
  if (!original || !translation) return std::nullopt;
  return Entry{*original, *translation};
}

// msgfmt sorts the originals bytewise, so a binary search finds the key.
std::optional<MessageCatalog::Entry> MessageCatalog::Lookup(std::string_view key) const {
  std::size_t low = 0;
  std::size_t high = count_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const std::optional<Entry> entry = EntryAt(middle);
    if (!entry) return std::nullopt;
    const int order = FirstForm(entry->original).compare(key);
    if (order == 0) return entry;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> MessageCatalog::Find(std::string_view key) const {
  const std::optional<Entry> entry = Lookup(key);
  if (!entry || entry->translation.empty()) return std::nullopt;
  return FirstForm(entry->translation);
}

std::optional<std::string_view> MessageCatalog::FindPlural(std::string_view key,
                                                           std::size_t form) const {
  const std::optional<Entry> entry = Lookup(key);
  if (!entry) return std::nullopt;
  std::string_view forms = entry->translation;
  for (std::size_t i = 0; i < form; ++i) {
    const std::size_t nul = forms.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    forms.remove_prefix(nul + 1);
  }
  const std::string_view text = FirstForm(forms);
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace vandrel
