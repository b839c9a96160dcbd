#include "platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

EntryKindOf KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) {
    return EntryKindOf::Folder;
  }
  if (S_ISREG(mode)) {
    return EntryKindOf::File;
  }
  return EntryKindOf::PassedOver;
}

}  // namespace

FolderListing::FolderListing(FolderListing&& other) noexcept
    : dir_(std::exchange(other.dir_, nullptr)),
      current_(std::exchange(other.current_, nullptr)),
      error_(other.error_),
      identity_(other.identity_) {}

FolderListing& FolderListing::operator=(FolderListing&& other) noexcept {
  if (this != &other) {
    CloseListing(*this);
    dir_ = std::exchange(other.dir_, nullptr);
    current_ = std::exchange(other.current_, nullptr);
    error_ = other.error_;
    identity_ = other.identity_;
  }
  return *this;
}

FolderListing::~FolderListing() {
  CloseListing(*this);
}

std::string FolderListing::FailureReason() const {
  return error_ ? std::strerror(error_) : "";
}

FolderListing OpenListing(const std::string& folder) {
  FolderListing listing;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) {
    listing.error_ = errno;
    return listing;
  }
  struct stat info;
  if (::fstat(::dirfd(dir), &info) != 0) {
    listing.error_ = errno;
    ::closedir(dir);
    return listing;
  }
  listing.dir_ = dir;
  listing.identity_ = {static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
  return listing;
}

bool NextEntry(FolderListing& listing) {
  if (listing.dir_ == nullptr) {
    return false;
  }
  listing.current_ = ::readdir(static_cast<DIR*>(listing.dir_));
  return listing.current_ != nullptr;
}

std::string_view EntryName(const FolderListing& listing) {
  return listing.current_ ? static_cast<const dirent*>(listing.current_)->d_name : "";
}

EntryKindOf EntryKind(const FolderListing& listing) {
  const auto* entry = static_cast<const dirent*>(listing.current_);
  if (entry == nullptr) {
    return EntryKindOf::PassedOver;
  }
  switch (entry->d_type) {
    case DT_DIR:
      return EntryKindOf::Folder;
    case DT_REG:
      return EntryKindOf::File;
    case DT_LNK:
    case DT_UNKNOWN: {
      // Only links, and file systems that do not tell the kind, cost a stat.
      struct stat target;
      if (::fstatat(::dirfd(static_cast<DIR*>(listing.dir_)), entry->d_name, &target, 0) != 0) {
        return EntryKindOf::File;  // dangling or looping link, or gone: it fails to open
      }
      return KindOfMode(target.st_mode);
    }
    default:
      return EntryKindOf::PassedOver;
  }
}

void CloseListing(FolderListing& listing) {
  if (listing.dir_ != nullptr) {
    ::closedir(static_cast<DIR*>(listing.dir_));
    listing.dir_ = nullptr;
  }
  listing.current_ = nullptr;
}
