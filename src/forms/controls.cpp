#include "forms/controls.h"

#include <algorithm>
#include <set>

namespace tarvo {

TreeNode* TreeView::Find(const std::string& key) {
  for (auto& node : nodes) {
    if (node.key == key) return &node;
  }
  return nullptr;
}

void TreeView::Remove(const std::string& key) {
  // Parents come before their children, so one pass collects the whole branch.
  std::set<std::string> gone{key};
  for (const auto& node : nodes) {
    if (gone.count(node.parentKey)) gone.insert(node.key);
  }
  std::erase_if(nodes, [&](const TreeNode& node) { return gone.count(node.key) > 0; });
  if (gone.count(selectedKey)) selectedKey.clear();
  if (gone.count(editKey)) editKey.clear();
}

namespace {

// A key of the moved branch (`from` and the keys below it, built as paths) under `to`.
void Rename(std::string& key, const std::string& from, const std::string& to, const std::set<std::string>& moved) {
  if (moved.count(key) && key.compare(0, from.size(), from) == 0) key = to + key.substr(from.size());
}

}  // namespace

void TreeView::Rekey(const std::string& from, const std::string& to) {
  std::set<std::string> moved{from};
  for (const auto& node : nodes) {
    if (moved.count(node.parentKey)) moved.insert(node.key);
  }
  for (auto& node : nodes) {
    Rename(node.key, from, to, moved);
    Rename(node.parentKey, from, to, moved);
  }
  Rename(selectedKey, from, to, moved);
  Rename(editKey, from, to, moved);
}

}  // namespace tarvo
