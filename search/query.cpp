#include "search/query.h"

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "search/text_rules.h"

SearchQuery Query;

namespace {
constexpr char kTermSeparator = ';';
}

SearchQuery MakeQuery(std::string_view terms, std::string_view types, std::string_view path) {
  SearchQuery query;
  query.TermList.clear();
  // Every field, empty ones too: "a;;b" has three terms, "" has one.
  for (std::size_t start = 0;;) {
    const std::size_t end = terms.find(kTermSeparator, start);
    query.TermList.push_back(FoldCase(terms.substr(start, end - start)));
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  query.FileTypes = FoldCase(types);
  query.RootPath = WithoutTrailingSeparator(path);
  return query;
}

RootTest TestRoot(const std::string& rootPath) {
  FolderListing listing = OpenListing(rootPath);
  RootTest test{.opens = listing.IsOpen(), .failureReason = listing.FailureReason()};
  CloseListing(listing);
  return test;
}

bool MayStartSearch(const SearchQuery& query, const RootTest& root) {
  return root.opens && !query.TermList.front().empty();
}
