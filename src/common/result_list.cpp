#include "common/result_list.h"

#include <algorithm>

#include "common/failure.h"

namespace plovane {

namespace {

[[noreturn]] void failIndexOutOfBounds() {
  throw Failure("Index out of bounds", failure_code::kOutOfRange);
}

}  // namespace

template <class Call>
void ResultList::notify(Call&& call) {
  for (ResultListObserver* observer : observers_) call(*observer);
}

void ResultList::addColumn(std::string header, int widthTwips) {
  if (columns_.size() >= kMaxCells) failIndexOutOfBounds();
  columns_.push_back({std::move(header), widthTwips});
  notify([](ResultListObserver& o) { o.columnsChanged(); });
}

void ResultList::setColumnWidth(std::size_t column, int widthTwips) {
  if (column >= columns_.size()) failIndexOutOfBounds();
  columns_[column].widthTwips = widthTwips;
  notify([](ResultListObserver& o) { o.columnsChanged(); });
}

const ResultList::Column& ResultList::column(std::size_t column) const {
  if (column >= columns_.size()) failIndexOutOfBounds();
  return columns_[column];
}

std::size_t ResultList::appendRow(SharedText firstCell) {
  return appendRow(std::move(firstCell), SharedText(), SharedText());
}

std::size_t ResultList::appendRow(SharedText firstCell, SharedText subCell1, SharedText subCell2) {
  const std::size_t index = rows_.size();
  notify([&](ResultListObserver& o) { o.rowsAboutToBeAppended(index, index); });
  rows_.push_back(Row{{std::move(firstCell), std::move(subCell1), std::move(subCell2)}, false});
  notify([&](ResultListObserver& o) { o.rowsAppended(index, index); });
  return index;
}

void ResultList::checkRow(std::size_t row) const {
  if (row >= rows_.size()) failIndexOutOfBounds();
}

void ResultList::checkCellIndex(std::size_t column) {
  if (column >= kMaxCells) throw Failure("Invalid property value", failure_code::kInvalidArgument);
}

void ResultList::setCell(std::size_t row, std::size_t column, SharedText text) {
  checkRow(row);
  checkCellIndex(column);
  rows_[row].cells[column] = std::move(text);
  notify([&](ResultListObserver& o) { o.cellChanged(row, column); });
}

const SharedText& ResultList::cell(std::size_t row, std::size_t column) const {
  checkRow(row);
  checkCellIndex(column);
  return rows_[row].cells[column];
}

void ResultList::removeRow(std::size_t row) {
  checkRow(row);
  notify([&](ResultListObserver& o) { o.rowsAboutToBeRemoved(row, row); });
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  if (selected_) {
    if (*selected_ == row) {
      selected_.reset();
    } else if (*selected_ > row) {
      --*selected_;
    }
  }
  notify([&](ResultListObserver& o) { o.rowsRemoved(row, row); });
}

void ResultList::clear() {
  notify([](ResultListObserver& o) { o.aboutToClear(); });
  rows_.clear();
  rows_.shrink_to_fit();
  selected_.reset();
  notify([](ResultListObserver& o) { o.cleared(); });
}

void ResultList::setChecked(std::size_t row, bool checked) {
  checkRow(row);
  if (rows_[row].checked == checked) return;
  rows_[row].checked = checked;
  notify([&](ResultListObserver& o) { o.checkStatesChanged(row, row); });
}

void ResultList::setCheckedRange(std::size_t first, std::size_t last, bool checked) {
  checkRow(first);
  checkRow(last);
  if (last < first) return;
  for (std::size_t row = first; row <= last; ++row) rows_[row].checked = checked;
  notify([&](ResultListObserver& o) { o.checkStatesChanged(first, last); });
}

bool ResultList::isChecked(std::size_t row) const {
  checkRow(row);
  return rows_[row].checked;
}

void ResultList::setSelectedRow(std::optional<std::size_t> row) {
  if (row) checkRow(*row);
  selected_ = row;
}

void ResultList::addObserver(ResultListObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void ResultList::removeObserver(ResultListObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace plovane
