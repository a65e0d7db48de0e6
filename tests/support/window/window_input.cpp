#include "window_input.h"

#include <QCoreApplication>
#include <QCursor>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace plovane::test {

bool showAndWait(QWidget& window) {
  window.show();
  return QTest::qWaitForWindowExposed(&window);
}

void click(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
}

void clickRow(QTreeView* view, int row) {
  // The view learns of appended rows when control is back in the event loop.
  QCoreApplication::processEvents();
  const QRect rect = view->visualRect(view->model()->index(row, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void doubleClickAt(QWidget* widget, QPoint local) {
  // The press and release around the double-click event, as the window system sends them;
  // without the last release the pointer would stay "pressed" for the tests that follow.
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, local);
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, local);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, local);
}

void doubleClickRow(QTreeView* view, int row) {
  QCoreApplication::processEvents();
  doubleClickAt(view->viewport(), view->visualRect(view->model()->index(row, 0)).center());
}

void hover(QWidget* widget, QPoint local) {
  if (local == QPoint(-1, -1)) local = widget->rect().center();
  // The window system reports no move when the pointer is already there.
  if (QCursor::pos() == widget->mapToGlobal(local)) local += QPoint(1, 1);
  QTest::mouseMove(widget, local);
}

}  // namespace plovane::test
