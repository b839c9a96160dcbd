#pragma once
// A search run, the body of the search worker: a count pass and a search pass
// over the tree below the root, progress in the status bar, and at the end the
// results in the list and their count.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SearchCounters {
  std::int32_t FilesToScan = 0;
  std::int32_t FilesScanned = 0;
  std::int32_t NextProgressMark = 0;
  std::int32_t FilesWithMatches = 0;
};

// One file with a match: its path as the walk formed it and the decimal number
// of its first matching line. Kept apart, since a path may hold a line feed.
struct ResultRecord {
  std::string path;
  std::string lineNumber;
  bool operator==(const ResultRecord&) const = default;
};

// Both belong to the search worker while it runs.
extern SearchCounters Counters;
extern std::vector<ResultRecord> ResultList;

// Files scanned between two progress reports.
inline constexpr std::int32_t kFilesPerProgressReport = 250;

// The whole run: reads Query, heeds StopRequested, speaks to the window only
// through the window operations.
void RunSearch();

void CountPass(const std::string& rootPath);
void SearchPass(const std::string& rootPath);
// 1 when the file has a matching line and a record was appended, else 0.
int ScanFile(const std::string& path);
void ReportProgress(const std::string& folder);
void LoadResults();
void SetInputsDisabled(bool disabled);
