#include "cli/terminal_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr char kClearLine[] = "\r\033[K";
constexpr std::size_t kFallbackColumns = 80;

std::size_t TerminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return kFallbackColumns;
}

bool IsUtf8Continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// A folder name may hold control bytes (escape sequences, line feeds) that
// must not reach the terminal; and the line must fit, or it wraps and the
// next rewrite leaves its tail behind. Keeps the end of a long path.
std::string Displayable(const std::string& text, std::size_t columns) {
  std::string shown;
  std::size_t characters = 0;
  for (auto byte : text) {
    const auto value = static_cast<unsigned char>(byte);
    shown.push_back(value < 0x20 || value == 0x7F ? '?' : byte);
    characters += !IsUtf8Continuation(value);
  }
  std::size_t cut = 0;
  while (characters > columns && cut < shown.size()) {
    ++cut;
    while (cut < shown.size() && IsUtf8Continuation(static_cast<unsigned char>(shown[cut]))) {
      ++cut;
    }
    --characters;
  }
  return shown.substr(cut);
}

}  // namespace

void WriteResultRow(const RowTexts& row, bool nullSeparated) {
  const char afterPath = nullSeparated ? '\0' : '\t';
  const char afterLine = nullSeparated ? '\0' : '\n';
  std::fwrite(row[0].data(), 1, row[0].size(), stdout);
  std::fputc(afterPath, stdout);
  std::fwrite(row[1].data(), 1, row[1].size(), stdout);
  std::fputc(afterLine, stdout);
}

ProgressLine::ProgressLine() : onTerminal_(::isatty(STDERR_FILENO) == 1) {}

void ProgressLine::Show(int field, const std::string& text) {
  if (!onTerminal_ || field < 0 || field > 1) {
    return;
  }
  fields_[field] = text;
  const std::string percent = fields_[1].empty() ? "" : fields_[1] + "  ";
  const std::size_t columns = TerminalColumns() - 1;
  const std::size_t room = columns > percent.size() ? columns - percent.size() : 0;
  const std::string line = kClearLine + percent + Displayable(fields_[0], room);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ProgressLine::Finish(const std::string& text) {
  if (onTerminal_) {
    std::fputs(kClearLine, stderr);
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
