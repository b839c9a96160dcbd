#include "search/run.h"

#include <gtest/gtest.h>

#include "platform/headless_window.h"
#include "search/query.h"
#include "search/stop_request.h"
#include "tests/fixture_tree.h"
#include "window/controls.h"

namespace {

using headless::WindowCall;
using Calls = std::vector<WindowCall>;

const std::string kPreparing = "Bereite Suche vor";
const std::string kLoading = "Varimo by Tolbrek - Lade";

WindowCall Status(int field, const std::string& text, int appearance = kBorderlessLeft) {
  return {"SetStatusText", StatusBar, field, appearance, text, {}};
}
WindowCall Disable(int control, int state) {
  return {"DisableControl", control, -1, state, "", {}};
}
WindowCall Row(const std::string& path, const std::string& line) {
  return {"AddRow", ResultView, -1, 0, "", {path, line}};
}
WindowCall ClearRowsCall() {
  return {"ClearRows", ResultView, -1, 0, "", {}};
}
WindowCall StartCaption() {
  return {"SetControlText", StartButton, -1, 0, "Suche starten", {}};
}

Calls InputsDisabled(int state) {
  return {Disable(TermField, state), Disable(PathField, state), Disable(TypesField, state),
          Disable(ChooseButton, state)};
}

Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetWindow();
    StopRequested = 0;
  }
  void TearDown() override { StopRequested = 0; }

  // The window operations that the run called, in order.
  Calls Run(const std::string& terms, const std::string& types, const std::string& path) {
    Query = MakeQuery(terms, types, path);
    headless::StartRecording();
    RunSearch();
    return headless::RecordedCalls();
  }

  static Calls RowsOf(const Calls& calls) {
    Calls rows;
    for (const WindowCall& call : calls) {
      if (call.operation == "AddRow") {
        rows.push_back(call);
      }
    }
    return rows;
  }

  FixtureTree tree;
};

TEST_F(RunTest, WholeRunShowsItsPhasesAndOneRowPerMatchingFile) {
  tree.File("a.txt", "x\nx\nFoo\nx\nx\nx\nfoo\n");  // first match on line 3
  tree.File("b.txt", "bar\nfoo\n");                 // two terms: one row, line 1
  tree.File("empty.txt", "");
  tree.File("c.log", "foo\n");  // not of the types
  Calls rows;
  for (const std::string& name : ListingOrder(tree.root())) {
    if (name == "a.txt") {
      rows.push_back(Row(tree.Path(name), "3"));
    } else if (name == "b.txt") {
      rows.push_back(Row(tree.Path(name), "1"));
    }
  }
  const Calls expected = InputsDisabled(1) + Calls{Status(0, kPreparing), Status(1, "")} +
                         Calls{Status(0, tree.root()), Status(1, "100%", kBorderlessCentred)} +
                         Calls{Status(1, ""), Status(0, kLoading), ClearRowsCall()} + rows +
                         Calls{Status(0, "2 Dateien mit Übereinstimmungen!"), StartCaption()} +
                         InputsDisabled(0);
  EXPECT_EQ(Run("foo;bar", "txt", tree.root()), expected);
  EXPECT_EQ(Counters.FilesToScan, 3);
  EXPECT_EQ(Counters.FilesScanned, 3);
  EXPECT_EQ(Counters.FilesWithMatches, 2);
  EXPECT_TRUE(ResultList.empty()) << "loaded and emptied";
}

TEST_F(RunTest, NothingToScanStillClearsTheOldRows) {
  tree.File("a.log", "foo\n");
  AddRow(ResultView, {"old", "1"});
  const Calls calls = Run("foo", "txt", tree.root());
  const Calls expected = InputsDisabled(1) + Calls{Status(0, kPreparing), Status(1, "")} +
                         Calls{Status(0, tree.root())} +  // no file to scan: no percentage
                         Calls{Status(1, ""), Status(0, kLoading), ClearRowsCall()} +
                         Calls{Status(0, "0 Dateien mit Übereinstimmungen!"), StartCaption()} +
                         InputsDisabled(0);
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(RowCount(ResultView), 0);
}

TEST_F(RunTest, RootThatFailsToOpenReportsItsPathOnce) {
  const Calls calls = Run("foo", "", tree.Path("missing"));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), Status(0, tree.Path("missing"))), 1);
  EXPECT_EQ(headless::StatusFieldText(0), "0 Dateien mit Übereinstimmungen!");
}

TEST_F(RunTest, ProgressEveryTwoHundredFiftyFilesAtFolderEnds) {
  // Two leaf folders of 260 files each: the first folder end always reports,
  // the second has reached 250 more files, their parents have not.
  for (int i = 0; i < 260; ++i) {
    tree.File("a/b/c/f" + std::to_string(i), "");
    tree.File("a/b/d/f" + std::to_string(i), "");
  }
  const std::vector<std::string> leaves = ListingOrder(tree.Path("a/b"));
  Calls reports;
  for (const WindowCall& call : Run("foo", "", tree.root())) {
    if (call.operation == "SetStatusText" && call.text != kPreparing && call.text != kLoading &&
        !call.text.empty() && call.text.find("Dateien") == std::string::npos) {
      reports.push_back(call);
    }
  }
  EXPECT_EQ(
      reports,
      (Calls{Status(0, tree.Path("a/b/" + leaves[0])), Status(1, "50%", kBorderlessCentred),
             Status(0, tree.Path("a/b/" + leaves[1])), Status(1, "100%", kBorderlessCentred)}));
}

TEST_F(RunTest, PercentageIsTruncatedIn64Bits) {
  const struct Case {
    SearchCounters counters;
    Calls shown;
  } cases[] = {
      {{1000, 249, 0, 0}, {Status(0, "dir"), Status(1, "24%", kBorderlessCentred)}},
      {{3, 5, 0, 0}, {Status(0, "dir"), Status(1, "166%", kBorderlessCentred)}},
      {{2000000000, 2000000000, 0, 0}, {Status(0, "dir"), Status(1, "100%", kBorderlessCentred)}},
      {{0, 7, 0, 0}, {Status(0, "dir")}},
      {{1000, 249, 250, 0}, {}},
  };
  for (const Case& c : cases) {
    headless::StartRecording();
    Counters = c.counters;
    ReportProgress("dir");
    EXPECT_EQ(headless::RecordedCalls(), c.shown) << c.counters.FilesScanned;
  }
}

TEST_F(RunTest, StopBeforeTheRunReadsNoLine) {
  tree.File("a.txt", "foo\n");
  tree.File("sub/b.txt", "foo\n");
  AddRow(ResultView, {"old", "1"});
  StopRequested = 1;
  const Calls calls = Run("foo", "", tree.root());
  EXPECT_TRUE(RowsOf(calls).empty());
  EXPECT_EQ(RowCount(ResultView), 0);
  EXPECT_EQ(headless::StatusFieldText(0), "0 Dateien mit Übereinstimmungen!");
  EXPECT_EQ(calls.back(), Disable(ChooseButton, 0)) << "the stopped run still ends in full";
}

TEST_F(RunTest, StopDuringTheSearchKeepsWhatWasFound) {
  for (const char* folder : {"d1", "d2", "d3"}) {
    tree.File(std::string(folder) + "/match.txt", "foo\n");
  }
  const std::string firstFolder = tree.Path(ListingOrder(tree.root())[0]);
  // The first folder end reports progress: stop there, as a click would.
  headless::OnStatusText([&](int field, const std::string& text) {
    if (field == 0 && text == firstFolder) {
      StopRequested = 1;
    }
  });
  const Calls rows = RowsOf(Run("foo", "", tree.root()));
  EXPECT_EQ(rows, Calls{Row(firstFolder + "/match.txt", "1")});
  EXPECT_EQ(headless::StatusFieldText(0), "1 Dateien mit Übereinstimmungen!");
}

TEST_F(RunTest, UnreadableAndSpecialEntriesCostOnlyThemselves) {
  tree.File("ok.txt", "foo\n");
  tree.File("locked/hidden.txt", "foo\n");
  tree.Folder("locked", 0000);
  tree.File("secret.txt", "foo\n", 0000);
  tree.File("read-only.txt", "x\nfoo\n", 0444);
  tree.Fifo("fifo.txt");
  tree.Link("zero.txt", "/dev/zero");
  tree.EndlessDevice("device.txt");
  tree.Link("loop", ".");
  tree.Link("dangling.txt", "nowhere");
  const std::string root = tree.root();
  const int result = RunUnprivileged([&] {
    Query = MakeQuery("foo", "", root);
    RunSearch();
    std::vector<std::string> found;
    for (int row = 0; row < RowCount(ResultView); ++row) {
      found.push_back(RowText(ResultView, row, 0) + ":" + RowText(ResultView, row, 1));
    }
    std::sort(found.begin(), found.end());
    const bool asExpected =
        found == std::vector<std::string>{root + "/ok.txt:1", root + "/read-only.txt:2"};
    // ok, secret, read-only and the dangling link are files; the rest is not.
    return asExpected && Counters.FilesScanned == 4 ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
}

TEST_F(RunTest, PathWithLineFeedKeepsItsRowWhole) {
  const std::string path = tree.File("two\nlines.txt", "foo\n");
  EXPECT_EQ(RowsOf(Run("foo", "", tree.root())), Calls{Row(path, "1")});
  EXPECT_EQ(RowText(ResultView, 0, 0), path);
}

}  // namespace
