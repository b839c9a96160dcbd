#pragma once
// How paths are put together: the separator, joining a folder and a name, and
// the one trailing separator that a root folder text may lose.

#include <string>
#include <string_view>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// An empty folder stands for the current folder, so its entries keep their bare
// names; joining them under a separator would name files under the root instead.
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder text without one trailing separator; on POSIX "/" itself stays,
// or the whole file system would turn into the current folder.
std::string WithoutTrailingSeparator(std::string_view folder);
