#include "search/line_reader.h"

#include <utility>

namespace {

constexpr char kNul = '\0';
constexpr char kLf = '\n';
constexpr char kCr = '\r';

bool EndsLine(char byte) {
  return byte == kLf || byte == kCr || byte == kNul;
}

}  // namespace

LineFile::LineFile(ReadOnlyFile file, std::size_t blockSize)
    // Not zeroed: no byte of the block is looked at before a read filled it.
    : file_(std::move(file)), block_(new char[blockSize]), blockSize_(blockSize) {}

bool LineFile::HasByte() {
  if (next_ < filled_) {
    return true;
  }
  if (ended_) {
    return false;
  }
  filled_ = file_.Read(block_.get(), blockSize_);
  next_ = 0;
  ended_ = filled_ == 0;
  return !ended_;
}

std::optional<LineFile> OpenLineFile(const std::string& path, std::size_t blockSize) {
  ReadOnlyFile file;
  if (!file.Open(path)) {
    return std::nullopt;
  }
  return LineFile(std::move(file), blockSize);
}

bool AtFileEnd(LineFile& file) {
  return !file.HasByte();
}

void ReadLine(LineFile& file, std::string& line) {
  line.clear();
  while (file.HasByte()) {
    const char* block = file.block_.get();
    std::size_t end = file.next_;
    while (end < file.filled_ && !EndsLine(block[end])) {
      ++end;
    }
    line.append(block + file.next_, end - file.next_);
    file.next_ = end;
    if (end == file.filled_) {
      continue;  // the line goes on in the next block
    }
    const char lineEnd = block[file.next_++];
    // A CR takes an LF right after it into the same line end, also across a
    // block edge; any other byte after it is left for the next line.
    if (lineEnd == kCr && file.HasByte() && file.block_[file.next_] == kLf) {
      ++file.next_;
    }
    return;
  }
}

void CloseLineFile(LineFile& file) {
  file.file_.Close();
  file.ended_ = true;
  file.next_ = file.filled_ = 0;
}
