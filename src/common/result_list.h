#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/shared_text.h"

namespace plovane {

// Told about every change of a ResultList, so that a view can follow it. The "about to"
// calls come before the change, the others after it. All calls have empty defaults.
class ResultListObserver {
 public:
  virtual ~ResultListObserver() = default;
  virtual void rowsAboutToBeAppended(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void rowsAppended(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void rowsAboutToBeRemoved(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void rowsRemoved(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void aboutToClear() {}
  virtual void cleared() {}
  virtual void cellChanged(std::size_t /*row*/, std::size_t /*column*/) {}
  virtual void checkStatesChanged(std::size_t /*first*/, std::size_t /*last*/) {}
  virtual void columnsChanged() {}
};

// The model behind one list view: columns with a header text and a width in twips, and an
// ordered list of rows, each with up to three cells and a checked state. At most one row is
// selected. Rows and columns are counted from 0 here: column 0 is a row's first cell, and
// column k (k >= 1) shows its sub-cell k. A cell never set reads as the empty text.
//
// Reading or changing a row that is not there fails with a Failure, as the list control
// does; a trapped caller reports it and carries on.
class ResultList {
 public:
  static constexpr std::size_t kMaxCells = 3;

  struct Column {
    std::string header;
    int widthTwips = 0;
  };

  ResultList() = default;
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  // Columns.
  void addColumn(std::string header, int widthTwips = 1440);
  void setColumnWidth(std::size_t column, int widthTwips);
  std::size_t columnCount() const noexcept { return columns_.size(); }
  const Column& column(std::size_t column) const;

  // Rows.
  std::size_t rowCount() const noexcept { return rows_.size(); }
  // Appends a row with the given first cell and returns its index; the row is unchecked.
  std::size_t appendRow(SharedText firstCell);
  // Appends a row with all its cells at once (one change notification).
  std::size_t appendRow(SharedText firstCell, SharedText subCell1, SharedText subCell2);
  void setCell(std::size_t row, std::size_t column, SharedText text);
  const SharedText& cell(std::size_t row, std::size_t column) const;
  void removeRow(std::size_t row);
  void clear();

  void setChecked(std::size_t row, bool checked);
  // Sets rows first to last, both included (one change notification).
  void setCheckedRange(std::size_t first, std::size_t last, bool checked);
  bool isChecked(std::size_t row) const;

  std::optional<std::size_t> selectedRow() const noexcept { return selected_; }
  void setSelectedRow(std::optional<std::size_t> row);

  // Observers are not owned; one must be removed before it is destroyed.
  void addObserver(ResultListObserver* observer);
  void removeObserver(ResultListObserver* observer);

 private:
  struct Row {
    std::array<SharedText, kMaxCells> cells;
    bool checked = false;
  };

  void checkRow(std::size_t row) const;
  static void checkCellIndex(std::size_t column);
  template <class Call>
  void notify(Call&& call);

  std::vector<Column> columns_;
  std::vector<Row> rows_;
  std::optional<std::size_t> selected_;
  std::vector<ResultListObserver*> observers_;
};

}  // namespace plovane
