#include "window/win32/result_list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "platform/win32/wide_text.h"
#include "window/form1_layout.h"

namespace plovane {

namespace {

using platform::win32::toWide;

constexpr UINT_PTR kFlushTimer = 1;
// The control lays out its rows again for each batch; a long list gets fewer, larger ones.
constexpr std::size_t kLongList = 10'000;
constexpr UINT kShortListIntervalMs = USER_TIMER_MINIMUM;
constexpr UINT kLongListIntervalMs = 250;

// The state images of a check box list: 1 unticked, 2 ticked.
constexpr UINT kUnticked = 1;
constexpr UINT kTicked = 2;

WPARAM itemCount(std::size_t rows) {
  return static_cast<WPARAM>(std::min<std::size_t>(rows, INT_MAX));
}

}  // namespace

ResultListView::ResultListView(HWND parent, int controlId, ResultList& list, bool checkable)
    : list_(list), checkable_(checkable) {
  view_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT |
                          LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                      GetModuleHandleW(nullptr), nullptr);
  DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  if (checkable_) extended |= LVS_EX_CHECKBOXES;
  ListView_SetExtendedListViewStyle(view_, extended);
  // The check state is asked for with the text: the control keeps none of its own.
  if (checkable_) ListView_SetCallbackMask(view_, LVIS_STATEIMAGEMASK);
  SetWindowSubclass(view_, subclassProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
  rebuildColumns();
  shownRows_ = list_.rowCount();
  ListView_SetItemCountEx(view_, itemCount(shownRows_), 0);
  list_.addObserver(this);
}

ResultListView::~ResultListView() {
  list_.removeObserver(this);
  RemoveWindowSubclass(view_, subclassProcedure, 0);
}

void ResultListView::setDpi(UINT dpi) {
  dpi_ = dpi;
  rebuildColumns();
}

void ResultListView::stopFlushTimer() {
  if (!flushTimerSet_) return;
  KillTimer(view_, kFlushTimer);
  flushTimerSet_ = false;
}

void ResultListView::flushPendingRows() {
  stopFlushTimer();
  const std::size_t rows = list_.rowCount();
  if (rows <= shownRows_) return;
  shownRows_ = rows;
  ListView_SetItemCountEx(view_, itemCount(rows), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

std::optional<LRESULT> ResultListView::notify(const NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      answerCell(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return 0;
    case LVN_ODFINDITEMW:
      return findRow(*reinterpret_cast<const NMLVFINDITEMW*>(&header));
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) &&
          ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
        const int selected = ListView_GetNextItem(view_, -1, LVNI_SELECTED);
        list_.setSelectedRow(selected >= 0 ? std::optional<std::size_t>(selected) : std::nullopt);
      }
      return 0;
    }
    default:
      return std::nullopt;
  }
}

void ResultListView::answerCell(NMLVDISPINFOW& request) {
  LVITEMW& item = request.item;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= list_.rowCount()) return;
  const auto row = static_cast<std::size_t>(item.iItem);
  if ((item.mask & LVIF_TEXT) && item.pszText) {
    const auto column = static_cast<std::size_t>(item.iSubItem);
    cellText_ = column < list_.columnCount() ? toWide(list_.cell(row, column).view()) : L"";
    // The control reads the text from here before it asks for the next cell.
    item.pszText = cellText_.data();
  }
  if (checkable_ && (item.mask & LVIF_STATE)) {
    item.state = INDEXTOSTATEIMAGEMASK(list_.isChecked(row) ? kTicked : kUnticked);
    item.stateMask = LVIS_STATEIMAGEMASK;
  }
}

// Typing in the list: the next row, from the one the control names, whose first cell begins
// with the typed text, ignoring case; -1 for none. A control that held its rows would find
// it itself.
LRESULT ResultListView::findRow(const NMLVFINDITEMW& request) const {
  const LVFINDINFOW& find = request.lvfi;
  if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz || !*find.psz) return -1;
  const std::size_t rows = std::min(shownRows_, list_.rowCount());
  const std::size_t start = std::min<std::size_t>(std::max(request.iStart, 0), rows);
  const bool wrap = (find.flags & LVFI_WRAP) != 0;
  const bool prefix = (find.flags & LVFI_PARTIAL) != 0;
  for (std::size_t step = 0; step < rows; ++step) {
    if (!wrap && start + step >= rows) break;
    const std::size_t row = (start + step) % rows;
    if (firstCellMatches(row, find.psz, prefix)) return static_cast<LRESULT>(row);
  }
  return -1;
}

bool ResultListView::firstCellMatches(std::size_t row, std::wstring_view wanted,
                                      bool prefix) const {
  const std::string_view text = list_.cell(row, 0).view();
  // Most rows differ in their first letter, which in ASCII needs no conversion to tell.
  const auto upper = [](unsigned letter) { return letter - 'a' < 26u ? letter - 32 : letter; };
  const auto first = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
  if (first != 0 && first < 0x80 && wanted[0] < 0x80 && upper(first) != upper(wanted[0])) {
    return false;
  }
  const std::wstring cell = toWide(text);
  if (prefix ? cell.size() < wanted.size() : cell.size() != wanted.size()) return false;
  return CompareStringOrdinal(cell.data(), static_cast<int>(wanted.size()), wanted.data(),
                              static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

LRESULT CALLBACK ResultListView::subclassProcedure(HWND view, UINT message, WPARAM wParam,
                                                   LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  if (auto handled =
          reinterpret_cast<ResultListView*>(self)->handleInput(message, wParam, lParam)) {
    return *handled;
  }
  return DefSubclassProc(view, message, wParam, lParam);
}

// Check boxes are toggled here and not by the control, which keeps no state in virtual mode
// and whose own handling differs between Windows versions.
std::optional<LRESULT> ResultListView::handleInput(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kFlushTimer) return std::nullopt;
      flushPendingRows();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (const auto row = checkBoxAt(lParam)) {
        SetFocus(view_);
        selectAndFocus(*row);
        toggleChecked(*row);
        return 0;
      }
      if (message == WM_LBUTTONDBLCLK && onDoubleClick) {
        DefSubclassProc(view_, message, wParam, lParam);
        onDoubleClick();
        return 0;
      }
      return std::nullopt;
    case WM_KEYDOWN:
      if (wParam == VK_DELETE && onDeleteKey) {
        onDeleteKey();
        return 0;
      }
      if (wParam == VK_SPACE && checkable_) {
        const int focused = ListView_GetNextItem(view_, -1, LVNI_FOCUSED);
        if (focused >= 0) toggleChecked(static_cast<std::size_t>(focused));
        return 0;
      }
      return std::nullopt;
    case WM_CHAR:
      // The Space that toggled a box is not also a search for a row starting with a blank.
      if (wParam == L' ' && checkable_) return 0;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<std::size_t> ResultListView::checkBoxAt(LPARAM point) const {
  if (!checkable_) return std::nullopt;
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const int row = ListView_SubItemHitTest(view_, &hit);
  if (row < 0 || hit.iSubItem != 0 || !(hit.flags & LVHT_ONITEMSTATEICON)) return std::nullopt;
  if (static_cast<std::size_t>(row) >= list_.rowCount()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void ResultListView::toggleChecked(std::size_t row) {
  if (row >= list_.rowCount()) return;
  list_.setChecked(row, !list_.isChecked(row));  // redrawn through checkStatesChanged
}

void ResultListView::selectAndFocus(std::size_t row) {
  ListView_SetItemState(view_, static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
}

void ResultListView::rebuildColumns() {
  HWND header = ListView_GetHeader(view_);
  for (int existing = header ? Header_GetItemCount(header) : 0; existing > 0; --existing) {
    ListView_DeleteColumn(view_, existing - 1);
  }
  for (std::size_t column = 0; column < list_.columnCount(); ++column) {
    std::wstring caption = toWide(list_.column(column).header);
    LVCOLUMNW description{};
    description.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    description.pszText = caption.data();
    description.cx = MulDiv(form1_layout::pixels(list_.column(column).widthTwips),
                            static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
    description.iSubItem = static_cast<int>(column);
    ListView_InsertColumn(view_, static_cast<int>(column), &description);
  }
}

// Only the rows on screen: the control invalidates a range row by row, each a call into the
// window system, so ticking every row of a long list at the end of a run held the window
// for seconds. A row scrolled into view later is painted from the list as it is then.
void ResultListView::redrawRows(std::size_t first, std::size_t last) {
  if (first >= shownRows_) return;
  const auto top = static_cast<std::size_t>(std::max(0, ListView_GetTopIndex(view_)));
  // The page's rows and the one cut off at its foot.
  const auto page = static_cast<std::size_t>(std::max(0, ListView_GetCountPerPage(view_))) + 1;
  first = std::max(first, top);
  last = std::min({last, shownRows_ - 1, top + page - 1});
  if (first > last) return;
  ListView_RedrawItems(view_, static_cast<int>(std::min<std::size_t>(first, INT_MAX)),
                       static_cast<int>(std::min<std::size_t>(last, INT_MAX)));
}

void ResultListView::rowsAppended(std::size_t, std::size_t) {
  if (flushTimerSet_) return;
  flushTimerSet_ = true;
  SetTimer(view_, kFlushTimer, shownRows_ < kLongList ? kShortListIntervalMs : kLongListIntervalMs,
           nullptr);
}

void ResultListView::rowsAboutToBeRemoved(std::size_t, std::size_t) {
  flushPendingRows();
}

void ResultListView::rowsRemoved(std::size_t first, std::size_t last) {
  // In virtual mode a deleted item only shifts the selection and the count.
  for (std::size_t row = last + 1; row-- > first;) {
    ListView_DeleteItem(view_, static_cast<int>(std::min<std::size_t>(row, INT_MAX)));
  }
  shownRows_ -= last - first + 1;
}

void ResultListView::cleared() {
  stopFlushTimer();
  shownRows_ = 0;
  ListView_DeleteAllItems(view_);
  ListView_SetItemCountEx(view_, 0, 0);
}

void ResultListView::cellChanged(std::size_t row, std::size_t) {
  redrawRows(row, row);
}

void ResultListView::checkStatesChanged(std::size_t first, std::size_t last) {
  redrawRows(first, last);
}

void ResultListView::columnsChanged() {
  rebuildColumns();
}

}  // namespace plovane
