#include "engine/destinations/folder_tree.h"

#include <algorithm>

namespace vandrel {

std::vector<std::string> FolderPathOf(std::string_view name) {
  std::vector<std::string> path;
  for (std::size_t start = 0; start <= name.size();) {
    const std::size_t end = std::min(name.find('\\', start), name.size());
    if (end > start) path.emplace_back(name.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

FolderTree::Node& FolderTree::Child(Node& parent, const std::string& segment,
                                    std::vector<Node*>& made) {
  std::unique_ptr<Node>& child = parent.bySegment_[segment];
  if (child == nullptr) {
    child = std::make_unique<Node>();
    child->segment = segment;
    child->parent = &parent;
    parent.children.push_back(child.get());
    made.push_back(child.get());
  }
  return *child;
}

FolderTree::Node& FolderTree::Claim(std::vector<std::string> path, std::string_view unnamed,
                                    std::vector<Node*>& made) {
  if (path.empty()) path.emplace_back(unnamed);
  Node* parent = &root_;
  for (std::size_t i = 0; i + 1 < path.size(); ++i)
    parent = &Child(*parent, path[i], made);
  const std::string& leaf = path.back();
  Node* node = &Child(*parent, leaf, made);
  for (int number = 2; node->holdsMail; ++number)
    node = &Child(*parent, leaf + "-" + std::to_string(number), made);
  node->holdsMail = true;
  return *node;
}

std::vector<std::string> FolderTree::PathOf(const Node& node) {
  std::vector<std::string> path;
  for (const Node* at = &node; at->parent != nullptr; at = at->parent)
    path.push_back(at->segment);
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace vandrel
