#pragma once

#include "platform/win32/windows_api.h"

#include <string>

#include "remote_memory.h"

namespace plovane::e2e {

// A report-view list view of another process, read and clicked from outside as a user or an
// accessibility tool would: its rows through LVM_GETITEMTEXTW, its check boxes through their
// state images, a click on a box as the mouse's messages at the box.
class RemoteListView {
 public:
  RemoteListView(HWND list, HANDLE process);

  HWND handle() const { return list_; }
  int rowCount() const;
  std::wstring cellText(int row, int column) const;
  // The row's first columns joined by tabs.
  std::wstring rowText(int row, int columns) const;
  bool isTicked(int row) const;
  // Clicks the row's check box where the list itself finds it.
  void clickCheckBox(int row);
  int topIndex() const;
  int rowsPerPage() const;

 private:
  POINT checkBoxPoint(int row);

  HWND list_;
  mutable RemoteBlock block_;  // an LVITEMW or an LVHITTESTINFO, then a text buffer
};

}  // namespace plovane::e2e
