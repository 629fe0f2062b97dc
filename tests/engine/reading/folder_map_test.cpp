#include "engine/reading/folder_map.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

// A message told apart by where it lies.
MessageSpan At(std::uint64_t offset) {
  return MessageSpan{offset, 1};
}

std::vector<std::string> NamesInOrder(const FolderMap& map) {
  std::vector<std::string> names;
  for (const FolderMap::Folder& folder : map)
    names.push_back(folder.name);
  return names;
}

TEST(FolderMapTest, BucketsTakeBytesAsSigned) {
  const struct {
    const char* name;
    std::size_t bucket;
  } cases[] = {
      {"Inbox", 2},
      {"inbox", 0},
      {"Trash", 5},
      {"Sent", 7},
      {"Outbox", 12},
      {"default mailbox", 13},
      {"Entw\xFCrfe", 4},  // 3 if the 0xFC counted as 252 instead of -4
      {"", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FolderMap::BucketOf(c.name), c.bucket) << c.name;
  EXPECT_EQ(FolderMap::Hash("\xFF"), 0xFFFFFFFFu);
  EXPECT_EQ(FolderMap::Hash("Outbox"), 3234728001u);  // wraps past 2^32
}

TEST(FolderMapTest, IteratesByBucketThenNewestFirst) {
  FolderMap map;
  for (const char* name : {"Inbox", "Sent", "Trash", "Outbox"})
    map.Append(name, At(0));
  EXPECT_EQ(NamesInOrder(map), (std::vector<std::string>{"Inbox", "Trash", "Sent", "Outbox"}));

  // "A" and "R" share bucket 14; "My Mail" and "Entw\xFCrfe" share bucket 4.
  FolderMap shared;
  std::uint64_t offset = 0;
  for (const char* name : {"A", "My Mail", "R", "Entw\xFCrfe", "A", "Sent"}) {
    shared.Append(name, At(offset++));
  }
  EXPECT_EQ(NamesInOrder(shared),
            (std::vector<std::string>{"Entw\xFCrfe", "My Mail", "Sent", "R", "A"}));
  EXPECT_EQ(*shared.Find("A"), (MessageList{At(0), At(4)}));
}

TEST(FolderMapTest, LooksUpExactNamesAndCreatesOnce) {
  FolderMap map;
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.begin(), map.end());
  EXPECT_EQ(map.Find("Inbox"), nullptr);

  MessageList& inbox = map.FindOrCreate("Inbox");
  EXPECT_TRUE(inbox.empty());
  map.Append("Inbox", At(1));
  map.Append("inbox", At(2));
  map.Append("Inbox ", At(3));
  map.Append("Inbox", At(4));
  EXPECT_EQ(&map.FindOrCreate("Inbox"), &inbox);
  EXPECT_EQ(inbox, (MessageList{At(1), At(4)}));
  EXPECT_EQ(map.FolderCount(), 3u);
  ASSERT_NE(map.Find("inbox"), nullptr);
  EXPECT_EQ(*map.Find("inbox"), MessageList{At(2)});
  EXPECT_EQ(map.Find("INBOX"), nullptr);
}

TEST(FolderMapTest, VisitsEachOfManyFoldersOnceInBucketOrder) {
  FolderMap map;
  for (int i = 0; i < 2000; ++i)
    map.Append("folder " + std::to_string(i), At(static_cast<std::uint64_t>(i)));
  std::set<std::string> seen;
  std::size_t lastBucket = 0;
  for (const FolderMap::Folder& folder : map) {
    const std::size_t bucket = FolderMap::BucketOf(folder.name);
    EXPECT_GE(bucket, lastBucket);
    lastBucket = bucket;
    EXPECT_TRUE(seen.insert(folder.name).second) << folder.name;
    EXPECT_EQ(folder.messages, MessageList{At(std::stoull(folder.name.substr(7)))});
  }
  EXPECT_EQ(seen.size(), 2000u);
  EXPECT_EQ(map.FolderCount(), 2000u);
}

// Flattened afterwards is what a map filled with the flattened names from the start would be:
// the same folders in the same order, each with its messages in export order.
TEST(FolderMapTest, FlatteningAfterwardsEqualsFillingWithFlatNames) {
  std::mt19937 random(11);
  const std::vector<std::string> names = {"A\\B", "A_B", "A\\\\B", "A__B", "Inbox", "x\\",
                                          "x_",   "\\",  "_",      "Sent", "a\\b"};
  for (int round = 0; round < 200; ++round) {
    FolderMap raw;
    FolderMap flat;
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      const std::string& name = names[random() % names.size()];
      std::string flatName = name;
      std::replace(flatName.begin(), flatName.end(), '\\', '_');
      raw.Append(name, At(static_cast<std::uint64_t>(i)));
      flat.Append(flatName, At(static_cast<std::uint64_t>(i)));
    }
    const FolderMap flattened = FlattenedFolders(raw);
    ASSERT_EQ(NamesInOrder(flattened), NamesInOrder(flat)) << round;
    for (const FolderMap::Folder& folder : flat) {
      ASSERT_NE(flattened.Find(folder.name), nullptr);
      EXPECT_EQ(*flattened.Find(folder.name), folder.messages) << folder.name;
    }
  }
}

}  // namespace
}  // namespace vandrel
