// Plovane: the main window alone, set up before it is first shown.

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "export/spreadsheet_application.h"
#include "platform/file_system.h"
#include "platform/list_memory.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "window/time_seeded_random.h"
#include "window/win32/form1.h"
#include "window/win32/registry_settings_store.h"
#include "window/win32/win32_services.h"

namespace {

// The folder that holds the executable, without a final separator.
std::string programFolder() {
  std::string path = plovane::platform::executablePath();
  const std::size_t separator = path.find_last_of("\\/");
  path.resize(separator == std::string::npos ? 0 : separator);
  return path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  plovane::platform::prepareAllocatorForLists();
  const INITCOMMONCONTROLSEX controls{
      sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's folder browser needs COM in a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  plovane::Win32MessageBoxes messageBoxes;
  plovane::Win32FolderBrowser folderBrowser;
  plovane::RegistrySettingsStore settings;
  plovane::TimeSeededRandom random;
  plovane::ShellUrlLauncher urlLauncher;
  plovane::Win32SaveFileDialog saveFileDialog;
  plovane::Win32Clipboard clipboard;
  plovane::Form1 form({messageBoxes, folderBrowser, settings, random, urlLauncher, saveFileDialog,
                       clipboard, plovane::nativeSpreadsheets(),
                       plovane::platform::nativeFileSystem(), programFolder(), [] {
                         // A report half written at that moment is not left beside its file.
                         plovane::platform::removeUnfinishedFiles();
                         ExitProcess(EXIT_SUCCESS);
                       }});
  form.Form_Load();
  form.show(showCommand);
  const std::vector<std::string> arguments = plovane::platform::commandLineArguments(0, nullptr);
  if (arguments.size() == 3) form.openWithFolders(arguments[1], arguments[2]);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    plovane::dispatchWindowMessage(form.handle(), message);
  }
  return static_cast<int>(message.wParam);
}
