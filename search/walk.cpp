#include "search/walk.h"

#include <algorithm>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "search/stop_request.h"

namespace {

bool IsDotEntry(std::string_view name) {
  return name == "." || name == "..";
}

// The folders on the way from the walk's start down to the current one. A link
// back to one of them would otherwise be walked again and again until the path
// limit, repeating the same files hundreds of times.
using Branch = std::vector<FolderId>;

bool IsOnBranch(const Branch& branch, FolderId folder) {
  return std::find(branch.begin(), branch.end(), folder) != branch.end();
}

void WalkBranch(const std::string& folder, const WalkPass& pass, Branch& branch) {
  FolderListing listing = OpenListing(folder);
  if (listing.IsOpen()) {
    if (IsOnBranch(branch, listing.Identity())) {
      return;  // a loop: not entered at all
    }
    branch.push_back(listing.Identity());
    while (NextEntry(listing)) {
      const std::string_view name = EntryName(listing);
      if (IsDotEntry(name)) {
        continue;
      }
      const EntryKindOf kind = EntryKind(listing);
      if (kind == EntryKindOf::File) {
        pass.perFile(folder, name);
      } else if (kind == EntryKindOf::Folder) {
        WalkBranch(JoinPath(folder, name), pass, branch);
        if (IsStopRequested()) {
          break;
        }
      }
    }
    branch.pop_back();
    CloseListing(listing);
  }
  if (pass.folderEnd) {
    pass.folderEnd(folder);
  }
}

}  // namespace

void WalkFolder(const std::string& folder, const WalkPass& pass) {
  Branch branch;
  WalkBranch(folder, pass, branch);
}
