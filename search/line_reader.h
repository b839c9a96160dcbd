#pragma once
// A file read as numbered lines. LF, CR, CR LF and NUL each end one line; a
// final line without a line end is still a line, and a line end at the very end
// of the file opens no further one. The file is read front to back in blocks;
// only the current line is held, however long it grows.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/read_only_file.h"

inline constexpr std::size_t kLineBlockSize = 64 * 1024;

class LineFile {
 public:
  LineFile(ReadOnlyFile file, std::size_t blockSize);

 private:
  friend bool AtFileEnd(LineFile& file);
  friend void ReadLine(LineFile& file, std::string& line);
  friend void CloseLineFile(LineFile& file);

  // Makes the next byte available at block_[next_]; false at the end of the
  // file or after a read error, for good.
  bool HasByte();

  ReadOnlyFile file_;
  std::unique_ptr<char[]> block_;
  std::size_t blockSize_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  bool ended_ = false;
};

// Fails, silently, when the file cannot be opened for reading (gone, not a
// regular file, no permission); never creates one.
std::optional<LineFile> OpenLineFile(const std::string& path,
                                     std::size_t blockSize = kLineBlockSize);
// Yes when no further byte can be read; consumes nothing.
bool AtFileEnd(LineFile& file);
// The next line, without its line end, into `line`; empty at the end of the file.
void ReadLine(LineFile& file, std::string& line);
void CloseLineFile(LineFile& file);
