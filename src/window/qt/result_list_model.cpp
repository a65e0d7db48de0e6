#include "window/qt/result_list_model.h"

#include <algorithm>
#include <limits>

namespace plovane {

namespace {

QString toQString(const SharedText& text) {
  const std::string_view view = text.view();
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

int clampToInt(std::size_t value) {
  return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

}  // namespace

ResultListModel::ResultListModel(ResultList& list, bool checkable, QObject* parent)
    : QAbstractTableModel(parent), list_(list), checkable_(checkable) {
  shownRows_ = clampToInt(list_.rowCount());
  shownColumns_ = clampToInt(list_.columnCount());
  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, &ResultListModel::flushPendingRows);
  list_.addObserver(this);
}

ResultListModel::~ResultListModel() {
  list_.removeObserver(this);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownColumns_;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  const auto row = static_cast<std::size_t>(index.row());
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return toQString(list_.cell(row, column));
    case Qt::CheckStateRole:
      if (checkable_ && column == 0) return list_.isChecked(row) ? Qt::Checked : Qt::Unchecked;
      return {};
    default:
      return {};
  }
}

bool ResultListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkable_ || role != Qt::CheckStateRole || index.column() != 0 ||
      !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return false;
  }
  list_.setChecked(static_cast<std::size_t>(index.row()),
                   value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (checkable_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= shownColumns_) {
    return {};
  }
  return QString::fromStdString(list_.column(static_cast<std::size_t>(section)).header);
}

void ResultListModel::flushPendingRows() {
  const int rows = clampToInt(list_.rowCount());
  if (rows <= shownRows_) return;
  beginInsertRows(QModelIndex(), shownRows_, rows - 1);
  shownRows_ = rows;
  endInsertRows();
}

void ResultListModel::rowsAppended(std::size_t, std::size_t) {
  // A view lays out all its rows again for each batch; a long list gets fewer, larger ones.
  constexpr int kLongList = 10'000;
  constexpr int kLongListIntervalMs = 250;
  if (!flushTimer_.isActive()) flushTimer_.start(shownRows_ < kLongList ? 0 : kLongListIntervalMs);
}

void ResultListModel::rowsAboutToBeRemoved(std::size_t first, std::size_t last) {
  flushPendingRows();
  beginRemoveRows(QModelIndex(), clampToInt(first), clampToInt(last));
}

void ResultListModel::rowsRemoved(std::size_t first, std::size_t last) {
  shownRows_ -= clampToInt(last - first + 1);
  endRemoveRows();
}

void ResultListModel::aboutToClear() {
  beginResetModel();
}

void ResultListModel::cleared() {
  shownRows_ = 0;
  endResetModel();
}

void ResultListModel::cellChanged(std::size_t row, std::size_t column) {
  // A row still pending is announced with its batch; a cell outside the columns is not shown.
  if (row >= static_cast<std::size_t>(shownRows_) ||
      column >= static_cast<std::size_t>(shownColumns_)) {
    return;
  }
  const QModelIndex changed = index(clampToInt(row), clampToInt(column));
  emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ResultListModel::checkStatesChanged(std::size_t first, std::size_t last) {
  if (first >= static_cast<std::size_t>(shownRows_) || shownColumns_ == 0) return;
  const int lastShown = std::min(clampToInt(last), shownRows_ - 1);
  emit dataChanged(index(clampToInt(first), 0), index(lastShown, 0), {Qt::CheckStateRole});
}

void ResultListModel::columnsChanged() {
  const int columns = clampToInt(list_.columnCount());
  if (columns != shownColumns_) {
    // Columns are only added, at set-up, while the list has no rows to speak of.
    beginResetModel();
    shownColumns_ = columns;
    endResetModel();
  } else if (columns > 0) {
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
  }
  emit columnsReshaped();
}

}  // namespace plovane
