#include "platform/paths.h"

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  if (!folder.empty() && folder.back() != kPathSeparator) {
    path.push_back(kPathSeparator);
  }
  path.append(name);
  return path;
}

std::string WithoutTrailingSeparator(std::string_view folder) {
  if (!folder.empty() && folder.back() == kPathSeparator && folder != "/") {
    folder.remove_suffix(1);
  }
  return std::string(folder);
}
