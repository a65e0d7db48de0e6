#pragma once

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <functional>
#include <string>

namespace plovane::test {

// A list view control read and driven through its messages, as the system would: the rows
// it knows of, the texts and state images it asks its owner for, and mouse and key input.
inline int itemCount(HWND view) {
  return ListView_GetItemCount(view);
}
inline int focusedRow(HWND view) {
  return ListView_GetNextItem(view, -1, LVNI_FOCUSED);
}
// 1 unticked, 2 ticked, 0 none.
inline unsigned stateImage(HWND view, int row) {
  return ListView_GetItemState(view, row, LVIS_STATEIMAGEMASK) >> 12;
}

inline std::wstring itemText(HWND view, int row, int column) {
  std::wstring text(4096, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  text.resize(SendMessageW(view, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
  return text;
}

// Found by hit-testing along the row from its left edge; {-1, -1} when it shows none.
inline POINT checkBoxPoint(HWND view, int row) {
  RECT bounds{};
  ListView_GetItemRect(view, row, &bounds, LVIR_BOUNDS);
  for (LVHITTESTINFO hit{}; hit.pt.x < bounds.left + 64; ++hit.pt.x) {
    hit.pt.y = (bounds.top + bounds.bottom) / 2;
    if (ListView_SubItemHitTest(view, &hit) == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
      return hit.pt;
    }
  }
  return {-1, -1};
}

inline POINT cellPoint(HWND view, int row, int column) {
  RECT cell{};
  ListView_GetSubItemRect(view, row, column, LVIR_LABEL, &cell);
  return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

// Dispatches the thread's messages until the condition holds or the time is up.
inline bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 2000) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (MSG message;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

inline void pumpFor(int ms) {
  pumpUntil([] { return false; }, ms);
}

// The release is queued first, so that a control waiting for it (drag detection) finds it.
inline void click(HWND view, POINT point, UINT press = WM_LBUTTONDOWN) {
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(view, press, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  pumpFor(20);
}

inline void doubleClick(HWND view, POINT point) {
  click(view, point);
  click(view, point, WM_LBUTTONDBLCLK);
}

inline void pressKey(HWND view, WPARAM key) {
  SendMessageW(view, WM_KEYDOWN, key, 1);
  if (key == VK_SPACE) SendMessageW(view, WM_CHAR, L' ', 1);
  SendMessageW(view, WM_KEYUP, key, 0xC0000001);
}

}  // namespace plovane::test
