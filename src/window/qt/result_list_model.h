#pragma once

#include <QAbstractTableModel>
#include <QTimer>

#include "common/result_list.h"

namespace plovane {

// The Qt model over one ResultList. It follows the list's change notifications. Appended
// rows are announced in batches: the view learns of them when flushPendingRows() runs (the
// host calls it before it lets the window system paint) or when control returns to the
// event loop, so a million appended rows cost a few notifications, not a million.
class ResultListModel final : public QAbstractTableModel, private ResultListObserver {
  Q_OBJECT

 public:
  ResultListModel(ResultList& list, bool checkable, QObject* parent = nullptr);
  ~ResultListModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  ResultList& list() { return list_; }

  // Tells the view of the rows appended since the last call.
  void flushPendingRows();

 signals:
  // The list's columns or their widths changed.
  void columnsReshaped();

 private:
  void rowsAppended(std::size_t first, std::size_t last) override;
  void rowsAboutToBeRemoved(std::size_t first, std::size_t last) override;
  void rowsRemoved(std::size_t first, std::size_t last) override;
  void aboutToClear() override;
  void cleared() override;
  void cellChanged(std::size_t row, std::size_t column) override;
  void checkStatesChanged(std::size_t first, std::size_t last) override;
  void columnsChanged() override;

  ResultList& list_;
  bool checkable_;
  int shownRows_ = 0;  // rows the view knows of; lags behind the list while appending
  int shownColumns_ = 0;
  QTimer flushTimer_;
};

}  // namespace plovane
