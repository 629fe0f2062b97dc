#include "engine/reading/folder_map.h"

#include <algorithm>
#include <map>
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

FolderMap FlattenedFolders(const FolderMap& folders) {
  std::map<std::string, MessageList> merged;
  for (const FolderMap::Folder& folder : folders) {
    std::string name = folder.name;
    std::replace(name.begin(), name.end(), '\\', '_');
    MessageList& messages = merged[name];
    messages.insert(messages.end(), folder.messages.begin(), folder.messages.end());
  }
  std::vector<std::pair<const std::string, MessageList>*> order;
  for (auto& entry : merged) {
    std::sort(entry.second.begin(), entry.second.end(),
              [](const MessageSpan& a, const MessageSpan& b) { return a.offset < b.offset; });
    order.push_back(&entry);
  }
  // Made in the order each first appeared, as reading would have made them.
  const auto first = [](const auto* entry) {
    return entry->second.empty() ? UINT64_MAX : entry->second.front().offset;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const auto* a, const auto* b) { return first(a) < first(b); });
  FolderMap flattened;
  for (auto* entry : order)
    flattened.FindOrCreate(entry->first) = std::move(entry->second);
  return flattened;
}

}  // namespace vandrel
