#include "search/query.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/fixture_tree.h"

namespace {

using Terms = std::vector<std::string>;

TEST(MakeQueryTest, TermsFromTheTermText) {
  const std::pair<std::string, Terms> cases[] = {
      {"", {""}},
      {"Foo", {"FOO"}},
      {"foo;Bar", {"FOO", "BAR"}},
      {"Übung;größe", {"ÜBUNG", "GRÖßE"}},
      {"foo;", {"FOO", ""}},
      {";foo", {"", "FOO"}},
      {" foo ; bar", {" FOO ", " BAR"}},
      {"a;;b", {"A", "", "B"}},
      {" ", {" "}},
      {";", {"", ""}},
  };
  for (const auto& [text, terms] : cases) {
    EXPECT_EQ(MakeQuery(text, "", "").TermList, terms) << "'" << text << "'";
  }
}

TEST(MakeQueryTest, TypesFoldedAsTheyStand) {
  EXPECT_EQ(MakeQuery("x", " txt ", "").FileTypes, " TXT ");
  EXPECT_EQ(MakeQuery("x", "Txt;Log", "").FileTypes, "TXT;LOG");
  EXPECT_EQ(MakeQuery("x", "   ", "").FileTypes, "   ");
}

TEST(MakeQueryTest, RootPathLosesOneTrailingSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"/data/", "/data"}, {"/data", "/data"}, {"/data//", "/data/"}, {"/", "/"}, {"", ""},
      {" /x/ ", " /x/ "},  {"a\\", "a\\"},
  };
  for (const auto& [field, root] : cases) {
    EXPECT_EQ(MakeQuery("x", "", field).RootPath, root) << "'" << field << "'";
  }
}

TEST(StartPermissionTest, FirstTermAndRootDecide) {
  FixtureTree tree;
  const std::string file = tree.File("file.txt", "x");
  const struct Case {
    const char* meaning;
    std::string terms;
    std::string path;
    bool mayStart;
  } cases[] = {
      {"folder and term", "foo", tree.root(), true},
      {"folder with trailing slash", "foo", tree.root() + "/", true},
      {"empty later term", "foo;", tree.root(), true},
      {"blank term", " ", tree.root(), true},
      {"empty term text", "", tree.root(), false},
      {"first term empty", ";foo", tree.root(), false},
      {"a file", "foo", file, false},
      {"missing folder", "foo", tree.Path("missing"), false},
      {"blanks around the path stay", "foo", " " + tree.root(), false},
      {"empty path is the current folder", "foo", "", true},
      {"the file system root", "foo", "/", true},
  };
  for (const Case& c : cases) {
    const SearchQuery query = MakeQuery(c.terms, "", c.path);
    EXPECT_EQ(MayStartSearch(query, TestRoot(query.RootPath)), c.mayStart) << c.meaning;
  }
}

TEST(StartPermissionTest, RootTestTellsWhyAndLeavesNothingOpen) {
  FixtureTree tree;
  EXPECT_EQ(TestRoot(tree.Path("missing")).failureReason, "No such file or directory");
  EXPECT_EQ(TestRoot(tree.File("file", "")).failureReason, "Not a directory");
  EXPECT_TRUE(TestRoot(tree.Folder("empty")).opens) << "an empty folder opens";

  const auto openDescriptors = [] { return ListingOrder("/proc/self/fd").size(); };
  const std::size_t before = openDescriptors();
  for (int i = 0; i < 100; ++i) {
    TestRoot(tree.root());
  }
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
