#include "remote_list_view.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

#include "window_access.h"

namespace plovane::e2e {

namespace {

constexpr std::size_t kTextOffset = 256;  // past the largest structure sent
constexpr std::size_t kTextChars = 32'768;
// The state images of a check box list: 1 unticked, 2 ticked.
constexpr UINT kTicked = 2;

}  // namespace

RemoteListView::RemoteListView(HWND list, HANDLE process)
    : list_(list), block_(process, kTextOffset + kTextChars * sizeof(wchar_t)) {
  static_assert(sizeof(LVITEMW) <= kTextOffset && sizeof(LVHITTESTINFO) <= kTextOffset);
}

int RemoteListView::rowCount() const {
  return static_cast<int>(sendWithin(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::cellText(int row, int column) const {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<LPWSTR>(block_.at(kTextOffset));
  item.cchTextMax = static_cast<int>(kTextChars);
  block_.write(0, &item, sizeof item);
  const auto length =
      static_cast<std::size_t>(sendWithin(list_, LVM_GETITEMTEXTW, row, block_.at(0)));
  if (length >= kTextChars) throw std::runtime_error("a cell longer than the buffer");
  std::wstring text(length, L'\0');
  block_.read(kTextOffset, text.data(), length * sizeof(wchar_t));
  return text;
}

std::wstring RemoteListView::rowText(int row, int columns) const {
  std::wstring text;
  for (int column = 0; column < columns; ++column) {
    if (column > 0) text += L'\t';
    text += cellText(row, column);
  }
  return text;
}

bool RemoteListView::isTicked(int row) const {
  const auto state =
      static_cast<UINT>(sendWithin(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kTicked);
}

// Walks along the row's first column until the list's own hit test says the point is on the
// state image: where the box is drawn depends on the control's version and metrics.
POINT RemoteListView::checkBoxPoint(int row) {
  sendWithin(list_, LVM_ENSUREVISIBLE, row, FALSE);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  block_.write(0, &bounds, sizeof bounds);
  if (!sendWithin(list_, LVM_GETITEMRECT, row, block_.at(0))) {
    throw std::runtime_error("the list gives no place for row " + std::to_string(row));
  }
  block_.read(0, &bounds, sizeof bounds);
  const int y = (bounds.top + bounds.bottom) / 2;
  for (int x = bounds.left; x < bounds.left + 64; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    block_.write(0, &hit, sizeof hit);
    const auto found = static_cast<int>(sendWithin(list_, LVM_SUBITEMHITTEST, 0, block_.at(0)));
    block_.read(0, &hit, sizeof hit);
    if (found == row && hit.iSubItem == 0 && (hit.flags & LVHT_ONITEMSTATEICON)) return hit.pt;
  }
  throw std::runtime_error("no check box found on row " + std::to_string(row));
}

void RemoteListView::clickCheckBox(int row) {
  const POINT at = checkBoxPoint(row);
  const LPARAM where = MAKELPARAM(at.x, at.y);
  if (!PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, where) ||
      !PostMessageW(list_, WM_LBUTTONUP, 0, where)) {
    throw std::runtime_error("cannot click the list");
  }
}

int RemoteListView::topIndex() const {
  return static_cast<int>(sendWithin(list_, LVM_GETTOPINDEX, 0, 0));
}

int RemoteListView::rowsPerPage() const {
  return static_cast<int>(sendWithin(list_, LVM_GETCOUNTPERPAGE, 0, 0));
}

}  // namespace plovane::e2e
