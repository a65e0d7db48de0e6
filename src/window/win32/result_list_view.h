#pragma once

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/result_list.h"

namespace plovane {

// A report-view list view in virtual mode (LVS_OWNERDATA) over one ResultList: the control
// holds no rows, it asks for each cell as it paints, so two million rows cost it nothing.
// It follows the list's change notifications. Appended rows are announced in batches: the
// control learns of them when flushPendingRows() runs or when its timer fires during a
// yield, so a million appended rows cost a few notifications, not a million. A checkable
// list shows check boxes whose state lives in the ResultList; a click on one or Space
// toggles it there. Typed text selects the next row whose first cell begins with it.
class ResultListView final : private ResultListObserver {
 public:
  ResultListView(HWND parent, int controlId, ResultList& list, bool checkable);
  ~ResultListView() override;
  ResultListView(const ResultListView&) = delete;
  ResultListView& operator=(const ResultListView&) = delete;

  HWND handle() const { return view_; }
  std::size_t shownRows() const { return shownRows_; }

  // The parent's WM_NOTIFY from this control; answers the result when it handled it.
  std::optional<LRESULT> notify(const NMHDR& header);
  // Tells the control of the rows appended since the last call.
  void flushPendingRows();
  // Sizes the columns for the window's dots per inch.
  void setDpi(UINT dpi);

  // A double-click anywhere in the list, after the control has selected the row under it.
  std::function<void()> onDoubleClick;
  // The Delete key pressed in the list.
  std::function<void()> onDeleteKey;

 private:
  static LRESULT CALLBACK subclassProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self);
  std::optional<LRESULT> handleInput(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<std::size_t> checkBoxAt(LPARAM point) const;
  void toggleChecked(std::size_t row);
  void selectAndFocus(std::size_t row);
  void answerCell(NMLVDISPINFOW& request);
  LRESULT findRow(const NMLVFINDITEMW& request) const;
  bool firstCellMatches(std::size_t row, std::wstring_view wanted, bool prefix) const;
  void stopFlushTimer();
  void rebuildColumns();
  void redrawRows(std::size_t first, std::size_t last);

  void rowsAppended(std::size_t first, std::size_t last) override;
  void rowsAboutToBeRemoved(std::size_t first, std::size_t last) override;
  void rowsRemoved(std::size_t first, std::size_t last) override;
  void cleared() override;
  void cellChanged(std::size_t row, std::size_t column) override;
  void checkStatesChanged(std::size_t first, std::size_t last) override;
  void columnsChanged() override;

  ResultList& list_;
  bool checkable_;
  HWND view_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  std::size_t shownRows_ = 0;  // rows the control knows of; lags behind while appending
  bool flushTimerSet_ = false;
  std::wstring cellText_;  // the text of the cell the control asked for last
};

}  // namespace plovane
