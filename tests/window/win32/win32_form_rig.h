#pragma once

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <string>

#include "common/settings_store.h"
#include "fixed_random.h"
#include "platform/file_system.h"
#include "recording_clipboard.h"
#include "recording_message_boxes.h"
#include "recording_spreadsheet.h"
#include "recording_url_launcher.h"
#include "scripted_folder_browser.h"
#include "scripted_save_file_dialog.h"
#include "window/win32/form1.h"

namespace plovane::test {

// A loaded Form1 on the Win32 controls with a double for everything modal and its settings
// in memory. It stays hidden: its controls take messages all the same, and Wine without a
// window manager waits two seconds for each shown window to be withdrawn when destroyed.
struct Win32FormRig {
  explicit Win32FormRig(std::string programFolder = {})
      : form(Form1Services{boxes, browser, settings, random, launcher, saveDialog, clipboard,
                           spreadsheets, platform::nativeFileSystem(), std::move(programFolder),
                           [] {}}) {
    form.Form_Load();
  }
  bool sawNoMessageBox() const { return boxes.plains.empty() && boxes.exclamations.empty(); }

  // As the program starts them, before the first control is made.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  const bool controlsReady = InitCommonControlsEx(&controls);
  RecordingMessageBoxes boxes;
  ScriptedFolderBrowser browser;
  InMemorySettingsStore settings;
  FixedRandom random;
  RecordingUrlLauncher launcher;
  ScriptedSaveFileDialog saveDialog;
  RecordingClipboard clipboard;
  RecordingSpreadsheets spreadsheets;
  Form1 form;
};

}  // namespace plovane::test
