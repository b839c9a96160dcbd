#include "search/walk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "search/stop_request.h"
#include "tests/fixture_tree.h"

namespace {

// What a walk did, step by step: "file <path>" and "end <folder>".
using Steps = std::vector<std::string>;

Steps Walk(const std::string& root, const std::function<void(const std::string&)>& onFile = {}) {
  Steps steps;
  WalkFolder(root,
             {.perFile =
                  [&](const std::string& folder, std::string_view name) {
                    const std::string path = JoinPath(folder, name);
                    steps.push_back("file " + path);
                    if (onFile) {
                      onFile(path);
                    }
                  },
              .folderEnd = [&](const std::string& folder) { steps.push_back("end " + folder); }});
  return steps;
}

// The files that a walk of `root` met, relative to it, sorted.
Steps FilesFoundBelow(const std::string& root) {
  Steps files;
  const std::string prefix = "file " + root + "/";
  for (const std::string& step : Walk(root)) {
    if (step.rfind(prefix, 0) == 0) {
      files.push_back(step.substr(prefix.size()));
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The walk's steps for a plain tree of files and folders (no links or special
// files), from the listing order alone. `stopAfter` names the file after whose
// step a stop is requested.
void ExpectedSteps(const std::string& folder, Steps& steps, bool& stopped,
                   const std::string& stopAfter) {
  for (const std::string& name : ListingOrder(folder)) {
    const std::string path = folder + "/" + name;
    if (IsFolder(path)) {
      ExpectedSteps(path, steps, stopped, stopAfter);
      if (stopped) {
        break;
      }
    } else {
      steps.push_back("file " + path);
      stopped = stopped || path == stopAfter;
    }
  }
  steps.push_back("end " + folder);
}

Steps ExpectedSteps(const std::string& root, const std::string& stopAfter = "") {
  Steps steps;
  bool stopped = false;
  ExpectedSteps(root, steps, stopped, stopAfter);
  return steps;
}

void MakeThreeLevelTree(FixtureTree& tree) {
  for (const char* file : {"r1.txt", "r2", ".hidden", "a/a1.txt", "a/a2.log", "a/b/b1", "a/b/b2",
                           "a/c/c1", "d/d1", "d/e/e1", "r3.txt"}) {
    tree.File(file, "x\n");
  }
  tree.Folder("empty");
}

TEST(WalkTest, DepthFirstInListingOrder) {
  FixtureTree tree;
  MakeThreeLevelTree(tree);
  const Steps steps = Walk(tree.root());
  EXPECT_EQ(steps, ExpectedSteps(tree.root()));
  EXPECT_EQ(std::count_if(steps.begin(), steps.end(), [](auto& s) { return s[0] == 'f'; }), 11);
  EXPECT_EQ(steps.back(), "end " + tree.root()) << "the root's folder end runs last";
}

TEST(WalkTest, StopWindsDownLevelByLevel) {
  FixtureTree tree;
  MakeThreeLevelTree(tree);
  // Stop at each file in turn: every level still handles its entries up to and
  // including its next folder entry, then returns, running its folder end.
  for (const std::string& step : ExpectedSteps(tree.root())) {
    if (step.rfind("file ", 0) != 0) {
      continue;
    }
    const std::string stopAt = step.substr(5);
    StopRequested = 0;
    const Steps steps = Walk(tree.root(), [&](const std::string& path) {
      if (path == stopAt) {
        StopRequested = 1;
      }
    });
    StopRequested = 0;
    EXPECT_EQ(steps, ExpectedSteps(tree.root(), stopAt)) << "stop at " << stopAt;
  }
}

TEST(WalkTest, WhatCountsAsFileAndFolder) {
  FixtureTree tree;
  tree.File("plain.txt", "x");
  tree.File("target/inside.txt", "x");
  tree.Link("link-to-file", "plain.txt");
  tree.Link("link-to-folder", "target");
  tree.Link("dangling", "nowhere");
  tree.Link("self-loop", "self-loop");
  tree.Fifo("fifo");
  tree.Socket("socket");
  tree.Link("link-to-device", "/dev/zero");
  tree.Link("link-to-fifo", "fifo");
  tree.EndlessDevice("device");

  const Steps files = FilesFoundBelow(tree.root());
  EXPECT_EQ(files, (Steps{"dangling", "link-to-file", "link-to-folder/inside.txt", "plain.txt",
                          "self-loop", "target/inside.txt"}));
}

TEST(WalkTest, LinkBackToAnAncestorIsNotEnteredAgain) {
  FixtureTree tree;
  tree.File("top.txt", "x");
  tree.File("a/b/deep.txt", "x");
  tree.Link("a/b/up-to-a", "..");
  tree.Link("a/b/up-to-root", "../..");
  tree.Link("a/b/to-self", ".");
  tree.Link("a/sibling-b", "b");  // not an ancestor: walked a second time

  const Steps files = FilesFoundBelow(tree.root());
  EXPECT_EQ(files, (Steps{"a/b/deep.txt", "a/sibling-b/deep.txt", "top.txt"}));
}

TEST(WalkTest, FolderThatFailsToOpenStillEnds) {
  FixtureTree tree;
  tree.File("locked/secret.txt", "x");
  tree.File("open/visible.txt", "x");
  tree.Folder("locked", 0000);
  const int result = RunUnprivileged([&] {
    const Steps steps = Walk(tree.root());
    const auto has = [&](const std::string& step) {
      return std::find(steps.begin(), steps.end(), step) != steps.end();
    };
    const bool lockedEnds = has("end " + tree.Path("locked"));
    const bool secretHidden = !has("file " + tree.Path("locked/secret.txt"));
    const bool visibleFound = has("file " + tree.Path("open/visible.txt"));
    return lockedEnds && secretHidden && visibleFound ? 0 : 1;
  });
  EXPECT_EQ(result, 0);

  const Steps missing = Walk(tree.Path("missing"));
  EXPECT_EQ(missing, Steps{"end " + tree.Path("missing")}) << "a root that fails ends once";
}

TEST(WalkTest, EmptyFolderTextWalksTheCurrentFolderByBareNames) {
  FixtureTree tree;
  tree.File("here.txt", "x");
  tree.File("sub/there.txt", "x");
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(tree.root().c_str()), 0);
  Steps steps = Walk("");
  ASSERT_EQ(::chdir(previous), 0);
  std::sort(steps.begin(), steps.end());
  EXPECT_EQ(steps, (Steps{"end ", "end sub", "file here.txt", "file sub/there.txt"}));
}

TEST(PathsTest, JoinAndTrailingSeparator) {
  EXPECT_EQ(JoinPath("a", "b"), "a/b");
  EXPECT_EQ(JoinPath("a/", "b"), "a/b");
  EXPECT_EQ(JoinPath("/", "etc"), "/etc");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(JoinPath("a", "b\\c"), "a/b\\c") << "a backslash is part of a name";
  EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
  EXPECT_EQ(WithoutTrailingSeparator("a/"), "a");
  EXPECT_EQ(WithoutTrailingSeparator("a//"), "a/");
  EXPECT_EQ(WithoutTrailingSeparator("a\\"), "a\\");
  EXPECT_EQ(WithoutTrailingSeparator(""), "");
}

}  // namespace
