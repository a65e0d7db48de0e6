#pragma once

#include <QStyledItemDelegate>

namespace plovane {

// Paints the cells of a result list. A path too wide for its cell loses the middle of its
// folder, so that the start of the folder and the whole file name show; a name too wide by
// itself, and any other text, is elided as the view says.
class ResultCellDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace plovane
