// Plovane: the main window alone, set up before it is first shown.

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTextStream>
#include <cstdlib>

#include "export/spreadsheet_application.h"
#include "platform/file_system.h"
#include "platform/list_memory.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "window/display_check.h"
#include "window/form1.h"
#include "window/message_boxes.h"
#include "window/qt_export_services.h"
#include "window/qt_services.h"
#include "window/qt_settings_store.h"

namespace {

// For the test that drives the real window: after each comparison the result rows are
// written to the file named by PLOVANE_RESULTS_FILE, one per line, cells separated by tabs.
void writeResultsOnRequest(plovane::Form1& form) {
  const QString file = qEnvironmentVariable("PLOVANE_RESULTS_FILE");
  if (file.isEmpty()) return;
  QObject::connect(&form, &plovane::Form1::comparisonFinished, &form, [&form, file] {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    const plovane::ResultList& rows = form.listView3();
    for (std::size_t row = 0; row < rows.rowCount(); ++row) {
      for (std::size_t column = 0; column < 3; ++column) {
        const std::string_view cell = rows.cell(row, column).view();
        out.write(cell.data(), static_cast<qint64>(cell.size()));
        out.write(column < 2 ? "\t" : (rows.isChecked(row) ? "\n" : "\t(unchecked)\n"));
      }
    }
  });
}

void centreOnScreen(QWidget& window) {
  if (const QScreen* screen = window.screen()) {
    const QRect available = screen->availableGeometry();
    window.move(available.center() - window.rect().center());
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  plovane::exitWhenNoDisplay(argc, argv);
  plovane::platform::prepareAllocatorForLists();
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Kestrune"));
  QCoreApplication::setApplicationName(QStringLiteral("Plovane"));

  plovane::QtMessageBoxes messageBoxes;
  plovane::QtFolderBrowser folderBrowser;
  plovane::QtSettingsStore settings;
  plovane::TimeSeededRandom random;
  plovane::DesktopUrlLauncher urlLauncher;
  plovane::QtSaveFileDialog saveFileDialog;
  plovane::QtClipboard clipboard;

  plovane::Form1 form({messageBoxes, folderBrowser, settings, random, urlLauncher, saveFileDialog,
                       clipboard, plovane::nativeSpreadsheets(),
                       plovane::platform::nativeFileSystem(),
                       QCoreApplication::applicationDirPath(), [] {
                         // A report half written at that moment is not left beside its file.
                         plovane::platform::removeUnfinishedFiles();
                         std::_Exit(EXIT_SUCCESS);
                       }});
  folderBrowser.setOwner(&form);
  saveFileDialog.setOwner(&form);
  writeResultsOnRequest(form);
  form.Form_Load();
  centreOnScreen(form);
  form.show();
  // QApplication has taken out the arguments meant for Qt; what is left are the folders.
  const std::vector<std::string> arguments = plovane::platform::commandLineArguments(argc, argv);
  if (arguments.size() == 3) form.openWithFolders(arguments[1], arguments[2]);
  return QApplication::exec();
}
