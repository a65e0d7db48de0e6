// Plovane: the main window alone, set up before it is first shown.

#include <QApplication>
#include <QScreen>
#include <cstdlib>

#include "export/spreadsheet_application.h"
#include "platform/file_system.h"
#include "platform/list_memory.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "window/qt/display_check.h"
#include "window/qt/form1.h"
#include "window/qt/qt_export_services.h"
#include "window/qt/qt_message_boxes.h"
#include "window/qt/qt_services.h"
#include "window/qt/qt_settings_store.h"
#include "window/time_seeded_random.h"

namespace {

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
                       plovane::corePath(QCoreApplication::applicationDirPath()), [] {
                         // A report half written at that moment is not left beside its file.
                         plovane::platform::removeUnfinishedFiles();
                         std::_Exit(EXIT_SUCCESS);
                       }});
  form.Form_Load();
  centreOnScreen(form);
  form.show();
  // QApplication has taken out the arguments meant for Qt; what is left are the folders.
  const std::vector<std::string> arguments = plovane::platform::commandLineArguments(argc, argv);
  if (arguments.size() == 3) form.openWithFolders(arguments[1], arguments[2]);
  return QApplication::exec();
}
