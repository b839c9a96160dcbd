#pragma once
// The window operations without a window, for varimo-cli and the engine tests.
// It keeps what a window would show, records every call when asked to, and
// tells listeners of each added row and status text. One thread only.

#include <functional>
#include <string>
#include <vector>

#include "platform/window_ops.h"

namespace headless {

struct WindowCall {
  std::string operation;  // the window operation's name, e.g. "SetStatusText"
  int control = -1;       // control, bar or view number
  int field = -1;         // status field
  int value = 0;          // appearance value or disabled state
  std::string text;
  RowTexts row;
  bool operator==(const WindowCall&) const = default;
};

// Back to a freshly opened window: empty texts, every control enabled, no rows,
// no selection, no listeners, nothing recorded.
void ResetWindow();
void StartRecording();
const std::vector<WindowCall>& RecordedCalls();

void OnRowAdded(std::function<void(const RowTexts&)> listener);
void OnStatusText(std::function<void(int field, const std::string& text)> listener);

std::string StatusFieldText(int field);
bool IsDisabled(int control);
void SelectRow(int row);

}  // namespace headless
