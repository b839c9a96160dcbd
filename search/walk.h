#pragma once
// The depth-first walk of a folder tree in listing order. Each file entry goes
// to the pass's per-file step; each folder the walk enters, also one whose
// listing fails, ends with the pass's folder-end step, children before parents.

#include <functional>
#include <string>
#include <string_view>

struct WalkPass {
  std::function<void(const std::string& folder, std::string_view name)> perFile;
  std::function<void(const std::string& folder)> folderEnd;  // may be empty
};

// The stop flag is looked at only after each subfolder's walk: the levels wind
// down one by one, each handling its entries up to its next folder entry.
void WalkFolder(const std::string& folder, const WalkPass& pass);
