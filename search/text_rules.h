#pragma once
// The rules that decide what counts as a hit: case folding, finding a term,
// dividing the term text, extensions and the file-type test, decimal numbers.
// Pure functions on bytes; no locale, no state.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

// Windows-1252: a-z and 0xE0-0xFF lose 0x20.
std::string FoldCaseWindows1252(std::string_view text);
// The same mapping on the same characters in their UTF-8 form: a-z lose 0x20,
// and a pair 0xC3 0xA0-0xBF becomes 0xC3 0x80-0x9F. Applying the 1252 table
// to UTF-8 would leave ä and Ä apart and fold lead bytes into false matches.
std::string FoldCaseUtf8(std::string_view text);
// Folds into `folded` (reusing its storage) by the system code page.
void FoldCaseInto(std::string_view text, std::string& folded);
std::string FoldCase(std::string_view text);

// Position (from 1) of the first occurrence of `needle` at or after `start`,
// 0 when there is none or either text is empty.
std::int64_t FindText(std::string_view text, std::string_view needle, std::int64_t start);
std::int64_t CountText(std::string_view text, char separator);
// Field n (from 1; below 1 counts as 1) of the text divided at `separator`.
std::string FieldText(std::string_view text, std::int64_t n, char separator);
// Only blanks (0x20) are trimmed; tabs and no-break spaces stay.
std::string TrimBlanks(std::string_view text);
std::string ExtensionOf(std::string_view name);
// `types` is the folded types text, `extension` a folded extension.
bool PassesTypeFilter(std::string_view types, std::string_view extension);
// `terms` are folded; an empty term never occurs.
bool LineMatches(std::string_view line, const std::vector<std::string>& terms);
std::string DecimalText(std::int64_t value);
