#pragma once
// A file opened for reading only, so read-only files and files that another
// program is writing (live logs) can still be searched; nothing is written.

#include <cstddef>
#include <string>

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() { Close(); }

  // Opens an existing regular file; anything else (a FIFO or device that took
  // the file's place since the walk listed it) fails, since it could block or
  // never end. Never creates a file.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }

  // Up to `capacity` bytes; 0 at the end of the file and after a read error.
  std::size_t Read(char* buffer, std::size_t capacity);

  void Close();

 private:
  int fd_ = -1;
};
