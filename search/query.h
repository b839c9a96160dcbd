#pragma once
// What a search run looks for and where, made from the texts of the three
// input fields, and whether a search may start.

#include <string>
#include <string_view>
#include <vector>

struct SearchQuery {
  // The ";"-fields of the term text, folded, blanks kept; never empty.
  std::vector<std::string> TermList{std::string()};
  // The folded types text, neither trimmed nor divided.
  std::string FileTypes;
  // The path text without one trailing separator.
  std::string RootPath;
};

// The program's one query: written by the window thread only, read by the
// search worker, which keeps the inputs disabled while it runs.
extern SearchQuery Query;

SearchQuery MakeQuery(std::string_view terms, std::string_view types, std::string_view path);

struct RootTest {
  bool opens = false;
  std::string failureReason;  // the system's reason when it does not open
};

// Whether the root folder opens for listing; the listing is closed at once.
RootTest TestRoot(const std::string& rootPath);

// Only the first term and the root have a say.
bool MayStartSearch(const SearchQuery& query, const RootTest& root);
