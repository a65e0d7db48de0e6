#include "window/qt/result_cell_delegate.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

namespace plovane {

namespace {

// Where the last folder or file name of a path starts: at its separator, so that the name is
// shown as one and not mistaken for the folder's end. A folder path's own final separator
// belongs to its last folder. -1 when there is no separator before the name.
qsizetype lastNameStart(const QString& path) {
  const qsizetype from = path.size() - 2;
  if (from < 0) return -1;
  return std::max(path.lastIndexOf(QLatin1Char('/'), from),
                  path.lastIndexOf(QLatin1Char('\\'), from));
}

// The path as it fits in width: whole, or the start of its folder and the whole name with an
// ellipsis between. Unchanged when the name leaves no room for the folder's start.
QString elidedPath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const qsizetype nameStart = lastNameStart(path);
  if (nameStart <= 0) return path;
  const QString name = path.mid(nameStart);
  const QString folder = metrics.elidedText(path.left(nameStart), Qt::ElideRight,
                                            width - metrics.horizontalAdvance(name));
  // With only a character or two of the folder left, the ellipsis says little of where the
  // file is: the whole path is better elided in its middle.
  constexpr qsizetype kShortestFolderStart = 4;
  if (folder.size() < kShortestFolderStart) return path;
  return folder + name;
}

// The width the style gives the text of a cell, inside the margins it draws it with.
int textWidth(const QStyle& style, const QStyleOptionViewItem& cell) {
  const int margin = style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
  return style.subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget).width() - 2 * margin;
}

}  // namespace

void ResultCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
  cell.text = elidedPath(cell.text, cell.fontMetrics, textWidth(*style, cell));
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
}

}  // namespace plovane
