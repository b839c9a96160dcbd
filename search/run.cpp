#include "search/run.h"

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/window_ops.h"
#include "search/line_reader.h"
#include "search/query.h"
#include "search/stop_request.h"
#include "search/text_rules.h"
#include "search/walk.h"
#include "window/controls.h"
#include "window/fixed_texts.h"

SearchCounters Counters;
std::vector<ResultRecord> ResultList;

namespace {

bool PassesQueryTypes(std::string_view name) {
  return PassesTypeFilter(Query.FileTypes, FoldCase(ExtensionOf(name)));
}

void ShowMessage(int field, const std::string& text) {
  SetStatusText(StatusBar, field, text, kBorderlessLeft);
}

}  // namespace

void RunSearch() {
  Counters = SearchCounters();
  SetInputsDisabled(true);
  ShowMessage(kMessageField, SystemText(kPreparingText));
  ShowMessage(kProgressField, "");
  CountPass(Query.RootPath);
  // Runs after a stop too: it winds down at once and the count text says so.
  SearchPass(Query.RootPath);
  ShowMessage(kProgressField, "");
  ShowMessage(kMessageField, SystemText(kLoadingText));
  LoadResults();
  ShowMessage(kMessageField,
              DecimalText(Counters.FilesWithMatches) + SystemText(kFilesWithMatchesText));
  SetControlText(StartButton, SystemText(kStartCaption));
  SetInputsDisabled(false);
}

void CountPass(const std::string& rootPath) {
  WalkFolder(rootPath, {.perFile =
                            [](const std::string&, std::string_view name) {
                              if (PassesQueryTypes(name)) {
                                ++Counters.FilesToScan;
                              }
                            },
                        .folderEnd = nullptr});
}

void SearchPass(const std::string& rootPath) {
  WalkFolder(rootPath, {.perFile =
                            [](const std::string& folder, std::string_view name) {
                              if (!PassesQueryTypes(name)) {
                                return;
                              }
                              if (ScanFile(JoinPath(folder, name)) == 1) {
                                ++Counters.FilesWithMatches;
                              }
                              ++Counters.FilesScanned;
                            },
                        .folderEnd = ReportProgress});
}

int ScanFile(const std::string& path) {
  std::optional<LineFile> file = OpenLineFile(path);
  if (!file) {
    return 0;
  }
  // 64-bit: a file of a few GiB can hold more than 2^31 lines.
  std::int64_t lineNumber = 0;
  std::string line;
  while (!AtFileEnd(*file) && !IsStopRequested()) {
    ++lineNumber;
    ReadLine(*file, line);
    if (LineMatches(line, Query.TermList)) {
      ResultList.push_back({path, DecimalText(lineNumber)});
      CloseLineFile(*file);
      return 1;
    }
  }
  CloseLineFile(*file);
  return 0;
}

void ReportProgress(const std::string& folder) {
  if (Counters.FilesScanned < Counters.NextProgressMark) {
    return;
  }
  Counters.NextProgressMark = Counters.FilesScanned + kFilesPerProgressReport;
  ShowMessage(kMessageField, folder);
  if (Counters.FilesToScan > 0) {
    const std::int64_t percent =
        static_cast<std::int64_t>(Counters.FilesScanned) * 100 / Counters.FilesToScan;
    SetStatusText(StatusBar, kProgressField, DecimalText(percent) + "%", kBorderlessCentred);
  }
}

void LoadResults() {
  ClearRows(ResultView);
  for (const ResultRecord& record : ResultList) {
    AddRow(ResultView, {record.path, record.lineNumber});
  }
  ResultList = {};
}

void SetInputsDisabled(bool disabled) {
  for (int control : {TermField, PathField, TypesField, ChooseButton}) {
    DisableControl(control, disabled ? 1 : 0);
  }
}
