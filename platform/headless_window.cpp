#include "platform/headless_window.h"

#include <array>

namespace {

constexpr int kControlCount = 11;
constexpr int kStatusFieldCount = 2;
constexpr int kResultColumns = 2;

struct HeadlessWindow {
  std::array<std::string, kControlCount> texts;
  std::array<bool, kControlCount> disabled{};
  std::array<std::string, kStatusFieldCount> statusFields;
  std::vector<RowTexts> rows;
  int selectedRow = -1;
  bool recording = false;
  std::vector<headless::WindowCall> calls;
  std::function<void(const RowTexts&)> rowListener;
  std::function<void(int, const std::string&)> statusListener;
};

HeadlessWindow& Window() {
  static HeadlessWindow window;
  return window;
}

void Record(const char* operation, int control, int field, int value, const std::string& text,
            const RowTexts& row) {
  if (Window().recording) {
    Window().calls.push_back({operation, control, field, value, text, row});
  }
}

bool IsControl(int control) {
  return control >= 0 && control < kControlCount;
}

bool IsRow(int row) {
  return row >= 0 && row < static_cast<int>(Window().rows.size());
}

}  // namespace

void SetStatusText(int bar, int field, const std::string& text, int appearance) {
  Record("SetStatusText", bar, field, appearance, text, {});
  if (field < 0 || field >= kStatusFieldCount) {
    return;
  }
  Window().statusFields[field] = text;
  if (Window().statusListener) {
    Window().statusListener(field, text);
  }
}

void SetControlText(int control, const std::string& text) {
  Record("SetControlText", control, -1, 0, text, {});
  if (IsControl(control)) {
    Window().texts[control] = text;
  }
}

std::string GetControlText(int control) {
  return IsControl(control) ? Window().texts[control] : std::string();
}

void DisableControl(int control, int state) {
  Record("DisableControl", control, -1, state, "", {});
  if (IsControl(control)) {
    Window().disabled[control] = state != 0;
  }
}

void ClearRows(int view) {
  Record("ClearRows", view, -1, 0, "", {});
  Window().rows.clear();
  Window().selectedRow = -1;
}

void AddRow(int view, const RowTexts& columns) {
  RowTexts row = columns;
  row.resize(kResultColumns);
  Record("AddRow", view, -1, 0, "", row);
  if (Window().rowListener) {
    Window().rowListener(row);
  }
  Window().rows.push_back(std::move(row));
}

int RowCount(int) {
  return static_cast<int>(Window().rows.size());
}

int RowState(int, int row) {
  return IsRow(row) && row == Window().selectedRow ? 1 : 0;
}

std::string RowText(int, int row, int column) {
  if (!IsRow(row) || column < 0 || column >= kResultColumns) {
    return {};
  }
  return Window().rows[row][column];
}

int CurrentRow(int) {
  return Window().selectedRow;
}

namespace headless {

void ResetWindow() {
  Window() = HeadlessWindow();
}

void StartRecording() {
  Window().recording = true;
  Window().calls.clear();
}

const std::vector<WindowCall>& RecordedCalls() {
  return Window().calls;
}

void OnRowAdded(std::function<void(const RowTexts&)> listener) {
  Window().rowListener = std::move(listener);
}

void OnStatusText(std::function<void(int, const std::string&)> listener) {
  Window().statusListener = std::move(listener);
}

std::string StatusFieldText(int field) {
  return field >= 0 && field < kStatusFieldCount ? Window().statusFields[field] : std::string();
}

bool IsDisabled(int control) {
  return IsControl(control) && Window().disabled[control];
}

void SelectRow(int row) {
  Window().selectedRow = IsRow(row) ? row : -1;
}

}  // namespace headless
