// A Calypso folder name is a path: "Family\Holidays" is Holidays inside Family. Destinations
// that keep folders in folders build this tree; every node is a folder of theirs, and two
// folders of the export never end up in one node.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vandrel {

// The name split at "\", empty segments dropped ("\Inbox", "Inbox\" and "A\\B" have none).
std::vector<std::string> FolderPathOf(std::string_view name);

class FolderTree {
 public:
  struct Node {
    std::string segment;  // the name the user sees
    Node* parent = nullptr;
    bool holdsMail = false;  // a folder of the export went into it
    // The destination's own: the node's name where it is stored, and the names its children
    // took there, as the destination compares them.
    std::string storedName;
    std::unordered_set<std::string> childNames;
    std::vector<Node*> children;  // in the order they were made

   private:
    friend class FolderTree;
    std::map<std::string, std::unique_ptr<Node>> bySegment_;
  };

  FolderTree() = default;
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  Node& Root() { return root_; }

  // The node a folder of the export goes into; the nodes on its way are made as needed, empty.
  // A path with no segment is `unnamed`. A node that already holds a folder of the export is
  // not given again: the folder gets a sibling "<name>-2", "-3", ... The nodes this made are
  // added to `made`, parents first.
  Node& Claim(std::vector<std::string> path, std::string_view unnamed, std::vector<Node*>& made);
  // The same, each node it made given its stored name by `name` on the way, parents first.
  template <typename Name>
  Node& Claim(std::vector<std::string> path, std::string_view unnamed, std::vector<Node*>& made,
              Name name) {
    const std::size_t before = made.size();
    Node& node = Claim(std::move(path), unnamed, made);
    for (std::size_t i = before; i < made.size(); ++i)
      name(*made[i]);
    return node;
  }

  // The node's segments from below the root.
  static std::vector<std::string> PathOf(const Node& node);

 private:
  Node& Child(Node& parent, const std::string& segment, std::vector<Node*>& made);

  Node root_;
};

// A name for a child of `parent` that none of its children has taken as `key` compares names:
// `wanted(0)`, else `wanted(2)`, `wanted(3)`, ... It is taken.
template <typename Wanted, typename Key>
std::string TakeChildName(FolderTree::Node& parent, Wanted wanted, Key key) {
  std::string name = wanted(0);
  for (int number = 2; parent.childNames.count(key(name)) != 0; ++number)
    name = wanted(number);
  parent.childNames.insert(key(name));
  return name;
}

}  // namespace vandrel
