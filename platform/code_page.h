#pragma once
// The system code page: which byte form texts, paths and file contents take.

#include <string>
#include <string_view>

enum class CodePage { Windows1252, Utf8 };

#ifdef _WIN32
inline constexpr CodePage kSystemCodePage = CodePage::Windows1252;
#else
inline constexpr CodePage kSystemCodePage = CodePage::Utf8;
#endif

// The fixed texts are written once, in UTF-8; this is the one place that turns
// them into the system code page.
std::string SystemText(std::string_view utf8);
