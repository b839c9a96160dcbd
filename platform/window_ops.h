#pragma once
// The window operations, addressed by control number. Each executable links
// exactly one implementation (desktop toolkit, or headless). Calls from the
// search worker are carried out on the window thread while the worker waits.
// Texts are in the system code page.

#include <string>
#include <vector>

// The texts of one row of a list, column by column.
using RowTexts = std::vector<std::string>;

void SetStatusText(int bar, int field, const std::string& text, int appearance);
void SetControlText(int control, const std::string& text);
std::string GetControlText(int control);
// A nonzero state disables the control, zero enables it.
void DisableControl(int control, int state);
void ClearRows(int view);
// Appends one row; missing column texts are empty, surplus ones are dropped.
void AddRow(int view, const RowTexts& columns);
int RowCount(int view);
// 1 when the row is selected, else 0 (also past the last row).
int RowState(int view, int row);
// Empty past the last row.
std::string RowText(int view, int row, int column);
// The lowest selected row, or -1.
int CurrentRow(int view);
