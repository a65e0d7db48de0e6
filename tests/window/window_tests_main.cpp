// The window tests: one executable that runs every group and fails when any group fails.

#include <QApplication>
#include <QCursor>
#include <QTest>

#include "window_test_support.h"

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

int main(int argc, char* argv[]) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // On a crash Qt Test attaches a debugger for a stack dump, which can outlive the test's
  // time limit by minutes on a busy machine.
  if (!qEnvironmentVariableIsSet("QTEST_DISABLE_STACK_DUMP"))
    qputenv("QTEST_DISABLE_STACK_DUMP", "1");
  QApplication application(argc, argv);

  using namespace plovane::test;
  int failedGroups = 0;
  for (auto run : {runLayoutTests, runComparingTests, runEditingTests, runStartUpTests,
                   runResultListModelTests, runTextExportTests,
                   runSpreadsheetExportTests}) {
    if (run(argc, argv) != 0) ++failedGroups;
  }
  return failedGroups == 0 ? 0 : 1;
}
