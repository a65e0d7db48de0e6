// The window tests: one executable that runs every group and fails when any group fails.

#include <QApplication>

#include "window_test_groups.h"

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
                   runResultListModelTests, runTextExportTests, runSpreadsheetExportTests}) {
    if (run(argc, argv) != 0) ++failedGroups;
  }
  return failedGroups == 0 ? 0 : 1;
}
