#pragma once

#include <functional>
#include <string>

namespace plovane {

class Clipboard;
class FolderBrowser;
class MessageBoxes;
class RandomSource;
class SaveFileDialog;
class SettingsStore;
class SpreadsheetApplications;
class UrlLauncher;
namespace platform {
class FileSystem;
}

// Everything the main window reaches outside itself, whichever toolkit draws it; tests
// replace each part.
struct Form1Services {
  MessageBoxes& messageBoxes;
  FolderBrowser& folderBrowser;
  SettingsStore& settings;
  RandomSource& random;
  UrlLauncher& urlLauncher;
  SaveFileDialog& saveFileDialog;
  Clipboard& clipboard;
  // Each click of "Save Results As Excel File" starts a new one.
  SpreadsheetApplications& spreadsheets;
  const platform::FileSystem& fileSystem;
  // The folder that holds the executable, without a final separator, as the core holds
  // paths.
  std::string programFolder;
  // Ends the process when the window closes. The default ends it at once, even in the middle
  // of an operation that is yielding.
  std::function<void()> endProcess;
};

}  // namespace plovane
