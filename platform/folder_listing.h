#pragma once
// One open listing of one folder: its entries in the platform's own order,
// unsorted, each with its name and kind.

#include <cstdint>
#include <string>
#include <string_view>

// What the walk does with an entry. Folders are directories and links to them;
// files are regular files, links to them and dangling links (which simply fail
// to open). FIFOs, sockets and devices are passed over: reading them can block
// for ever or never end.
enum class EntryKindOf { File, Folder, PassedOver };

// Tells one folder from another however it was reached (through links too).
struct FolderId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FolderId&) const = default;
};

class FolderListing {
 public:
  FolderListing() = default;
  FolderListing(FolderListing&& other) noexcept;
  FolderListing& operator=(FolderListing&& other) noexcept;
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;
  ~FolderListing();

  bool IsOpen() const { return dir_ != nullptr; }
  // The system's reason why the open failed, such as "No such file or directory".
  std::string FailureReason() const;
  FolderId Identity() const { return identity_; }

 private:
  friend FolderListing OpenListing(const std::string& folder);
  friend bool NextEntry(FolderListing& listing);
  friend std::string_view EntryName(const FolderListing& listing);
  friend EntryKindOf EntryKind(const FolderListing& listing);
  friend void CloseListing(FolderListing& listing);

  void* dir_ = nullptr;  // the platform's open listing
  const void* current_ = nullptr;
  int error_ = 0;
  FolderId identity_;
};

// An empty folder text lists the current folder.
FolderListing OpenListing(const std::string& folder);
// Yes with a new current entry; no at the end of the listing or on an error,
// which ends the listing as if it were complete. "." and ".." come through.
bool NextEntry(FolderListing& listing);
std::string_view EntryName(const FolderListing& listing);
EntryKindOf EntryKind(const FolderListing& listing);
void CloseListing(FolderListing& listing);
