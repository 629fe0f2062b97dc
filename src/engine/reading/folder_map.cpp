#include "engine/reading/folder_map.h"

#include <utility>

namespace vandrel {

std::uint32_t FolderMap::Hash(std::string_view name) {
  std::uint32_t hash = 0;
  for (const char c : name) {
    // Bytes 0x80 to 0xFF count as -128 to -1; the conversion to unsigned wraps as intended.
    const auto signedByte = static_cast<std::int8_t>(static_cast<unsigned char>(c));
    hash = hash * 33u + static_cast<std::uint32_t>(signedByte);
  }
  return hash;
}

MessageList& FolderMap::FindOrCreate(std::string_view name) {
  if (const auto found = index_.find(name); found != index_.end()) return found->second->messages;
  Chain& chain = buckets_[BucketOf(name)];
  Folder& folder = chain.emplace_front(Folder{std::string(name), {}});
  index_.emplace(folder.name, &folder);
  return folder.messages;
}

const MessageList* FolderMap::Find(std::string_view name) const {
  const auto found = index_.find(name);
  return found == index_.end() ? nullptr : &found->second->messages;
}

void FolderMap::Append(std::string_view name, MessageSpan message) {
  FindOrCreate(name).push_back(message);
}

}  // namespace vandrel
