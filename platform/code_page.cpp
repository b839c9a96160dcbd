#include "platform/code_page.h"

std::string SystemText(std::string_view utf8) {
  // UTF-8 is the system code page of the POSIX build.
  return std::string(utf8);
}
