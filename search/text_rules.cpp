#include "search/text_rules.h"

#include <charconv>

namespace {

constexpr unsigned char kUtf8LatinLead = 0xC3;

bool IsAsciiLower(unsigned char byte) {
  return byte >= 'a' && byte <= 'z';
}

void FoldWindows1252Into(std::string_view text, std::string& folded) {
  folded.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    folded[i] = static_cast<char>(IsAsciiLower(byte) || byte >= 0xE0 ? byte - 0x20 : byte);
  }
}

void FoldUtf8Into(std::string_view text, std::string& folded) {
  folded.resize(text.size());
  unsigned char previous = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool lowerLatin = previous == kUtf8LatinLead && byte >= 0xA0 && byte <= 0xBF;
    folded[i] = static_cast<char>(IsAsciiLower(byte) || lowerLatin ? byte - 0x20 : byte);
    previous = byte;
  }
}

}  // namespace

std::string FoldCaseWindows1252(std::string_view text) {
  std::string folded;
  FoldWindows1252Into(text, folded);
  return folded;
}

std::string FoldCaseUtf8(std::string_view text) {
  std::string folded;
  FoldUtf8Into(text, folded);
  return folded;
}

void FoldCaseInto(std::string_view text, std::string& folded) {
  if constexpr (kSystemCodePage == CodePage::Utf8) {
    FoldUtf8Into(text, folded);
  } else {
    FoldWindows1252Into(text, folded);
  }
}

std::string FoldCase(std::string_view text) {
  std::string folded;
  FoldCaseInto(text, folded);
  return folded;
}

std::int64_t FindText(std::string_view text, std::string_view needle, std::int64_t start) {
  if (text.empty() || needle.empty()) {
    return 0;
  }
  if (start < 1) {
    start = 1;
  }
  if (start > static_cast<std::int64_t>(text.size())) {
    return 0;
  }
  const std::size_t at = text.find(needle, static_cast<std::size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::int64_t CountText(std::string_view text, char separator) {
  std::int64_t count = 0;
  for (char byte : text) {
    count += byte == separator;
  }
  return count;
}

std::string FieldText(std::string_view text, std::int64_t n, char separator) {
  if (n < 1) {
    n = 1;
  }
  std::size_t fieldStart = 0;
  for (std::int64_t field = 1; field < n; ++field) {
    const std::size_t end = text.find(separator, fieldStart);
    if (end == std::string_view::npos) {
      return {};
    }
    fieldStart = end + 1;
  }
  const std::size_t end = text.find(separator, fieldStart);
  return std::string(
      text.substr(fieldStart, end == std::string_view::npos ? end : end - fieldStart));
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string ExtensionOf(std::string_view name) {
  for (std::size_t i = name.size(); i-- > 1;) {
    const char byte = name[i];
    if (byte == '.') {
      return std::string(name.substr(i + 1));
    }
    if (byte == '/' || byte == '\\') {
      return {};
    }
  }
  if (!name.empty() && name.front() == '.') {
    return std::string(name.substr(1));
  }
  return {};
}

bool PassesTypeFilter(std::string_view types, std::string_view extension) {
  if (types.find_first_not_of(' ') == std::string_view::npos) {
    return true;
  }
  return FindText(types, extension, 1) > 0;
}

bool LineMatches(std::string_view line, const std::vector<std::string>& terms) {
  thread_local std::string folded;
  FoldCaseInto(line, folded);
  for (const std::string& term : terms) {
    if (FindText(folded, term, 1) > 0) {
      return true;
    }
  }
  return false;
}

std::string DecimalText(std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}
