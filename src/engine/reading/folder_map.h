// Messages filed by folder name, visited in a fixed order that decides which folder is
// written first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "engine/reading/message_text.h"

namespace vandrel {

using MessageList = std::vector<MessageSpan>;

// A hash table of 17 fixed buckets; each bucket chains its folders newest first, and
// iteration runs from bucket 0 to 16 along the chains. Names compare byte for byte.
// Move-only: a large export's map is large.
class FolderMap {
 public:
  struct Folder {
    const std::string name;
    MessageList messages;  // in the order of the input file
  };

  static constexpr std::size_t kBucketCount = 17;

  FolderMap() = default;
  FolderMap(FolderMap&&) noexcept = default;
  FolderMap& operator=(FolderMap&&) noexcept = default;
  FolderMap(const FolderMap&) = delete;
  FolderMap& operator=(const FolderMap&) = delete;

  // The folder's list, created empty at the head of its bucket's chain if the folder is new.
  MessageList& FindOrCreate(std::string_view name);
  // Null when there is no such folder.
  const MessageList* Find(std::string_view name) const;
  void Append(std::string_view name, MessageSpan message);

  std::size_t FolderCount() const { return index_.size(); }
  bool IsEmpty() const { return index_.empty(); }

  // hash := hash * 33 + byte, each byte taken as a signed 8-bit value, wrapping at 32 bits.
  static std::uint32_t Hash(std::string_view name);
  static std::size_t BucketOf(std::string_view name) { return Hash(name) % kBucketCount; }

 private:
  using Chain = std::forward_list<Folder>;
  using Buckets = std::array<Chain, kBucketCount>;

  template <bool kConst>
  class Iterator;

 public:
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  iterator begin();
  iterator end();
  const_iterator begin() const;
  const_iterator end() const;

 private:
  Buckets buckets_;
  // Finds a folder without walking its chain, so many folders do not make loading quadratic.
  // The keys view the names inside the chain nodes, which never move.
  std::unordered_map<std::string_view, Folder*> index_;
};

template <bool kConst>
class FolderMap::Iterator {
  using BucketsRef = std::conditional_t<kConst, const Buckets, Buckets>;
  using ChainIterator = std::conditional_t<kConst, Chain::const_iterator, Chain::iterator>;

 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Folder;
  using difference_type = std::ptrdiff_t;
  using pointer = std::conditional_t<kConst, const Folder*, Folder*>;
  using reference = std::conditional_t<kConst, const Folder&, Folder&>;

  Iterator() = default;
  Iterator(BucketsRef* buckets, std::size_t bucket) : buckets_(buckets), bucket_(bucket) {
    if (bucket_ < kBucketCount) {
      link_ = (*buckets_)[bucket_].begin();
      SkipEmptyBuckets();
    }
  }

  reference operator*() const { return *link_; }
  pointer operator->() const { return &*link_; }
  Iterator& operator++() {
    ++link_;
    SkipEmptyBuckets();
    return *this;
  }
  Iterator operator++(int) {
    Iterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const Iterator& other) const {
    return bucket_ == other.bucket_ && (bucket_ == kBucketCount || link_ == other.link_);
  }

 private:
  void SkipEmptyBuckets() {
    while (link_ == (*buckets_)[bucket_].end()) {
      if (++bucket_ == kBucketCount) return;
      link_ = (*buckets_)[bucket_].begin();
    }
  }

  BucketsRef* buckets_ = nullptr;
  std::size_t bucket_ = kBucketCount;
  ChainIterator link_{};
};

inline FolderMap::iterator FolderMap::begin() {
  return iterator(&buckets_, 0);
}
inline FolderMap::iterator FolderMap::end() {
  return iterator(&buckets_, kBucketCount);
}
inline FolderMap::const_iterator FolderMap::begin() const {
  return const_iterator(&buckets_, 0);
}
inline FolderMap::const_iterator FolderMap::end() const {
  return const_iterator(&buckets_, kBucketCount);
}

// The folders with each "\\" of their names made "_", and those whose names are then equal made
// one, their messages in export order; the folders come in the order a map filled with the
// changed names while the export was read would have them.
FolderMap FlattenedFolders(const FolderMap& folders);

}  // namespace vandrel
