#pragma once
// What varimo-cli writes: result rows to stdout as raw bytes, and the status
// texts to stderr, progress as one rewritten line only on a terminal.

#include <string>

#include "platform/window_ops.h"

// path TAB line LF, or with nullSeparated path NUL line NUL.
void WriteResultRow(const RowTexts& row, bool nullSeparated);

class ProgressLine {
 public:
  ProgressLine();
  void Show(int field, const std::string& text);
  // Clears the progress line and writes the text as the last line of stderr.
  void Finish(const std::string& text);

 private:
  bool onTerminal_;
  std::string fields_[2];
};
