#pragma once
// A folder tree made for one test in a fresh temporary folder, removed again
// afterwards, and the tools to look at what the engine did with it.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class FixtureTree {
 public:
  FixtureTree();
  ~FixtureTree();
  FixtureTree(const FixtureTree&) = delete;
  FixtureTree& operator=(const FixtureTree&) = delete;

  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const;

  // Each makes the missing folders on its way and answers the full path.
  std::string File(const std::string& relative, const std::string& bytes, mode_t mode = 0644);
  std::string Folder(const std::string& relative, mode_t mode = 0755);
  std::string Link(const std::string& relative, const std::string& target);
  std::string Fifo(const std::string& relative);
  std::string Socket(const std::string& relative);
  // A character device that reads like /dev/zero, without end; only root may
  // make one, so elsewhere this answers false and makes nothing.
  bool EndlessDevice(const std::string& relative);

 private:
  std::string root_;
};

// Names of a folder's entries in the platform's listing order, without "." and "..".
std::vector<std::string> ListingOrder(const std::string& folder);

// Runs `body` in a child process as an unprivileged user when this process is
// root (whom permissions do not stop), else in a child as ourselves; answers
// the child's exit code. The child reports by exit code only.
int RunUnprivileged(const std::function<int()>& body);

// Everything under `root` that a run could change: kinds, sizes, contents,
// modification times, link targets.
std::string SnapshotOf(const std::string& root);
