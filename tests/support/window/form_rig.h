#pragma once

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVariant>
#include <memory>

#include "fixed_random.h"
#include "owned_recording_message_boxes.h"
#include "platform/file_system.h"
#include "recording_clipboard.h"
#include "recording_spreadsheet.h"
#include "recording_url_launcher.h"
#include "scripted_folder_browser.h"
#include "scripted_save_file_dialog.h"
#include "window/qt/form1.h"
#include "window/qt/qt_services.h"
#include "window/qt/qt_settings_store.h"

namespace plovane::test {

// A Form1 with doubles for everything modal, its settings in an INI file that outlives the
// window (so a second rig on the same file is a restart), and a program folder that holds
// nothing unless a test puts something there.
class FormRig {
 public:
  FormRig(const QString& iniFile, const QString& programFolder,
          const platform::FileSystem& fs = platform::nativeFileSystem())
      : settings(iniFile) {
    form = std::make_unique<Form1>(
        Form1Services{boxes, browser, settings, random, launcher, saveDialog, clipboard,
                      spreadsheets, fs, corePath(programFolder), [this] { ++endProcessCalls; }});
  }

  Form1& operator*() { return *form; }
  Form1* operator->() { return form.get(); }

  OwnedRecordingMessageBoxes boxes;
  ScriptedFolderBrowser browser;
  QtSettingsStore settings;
  FixedRandom random;
  RecordingUrlLauncher launcher;
  ScriptedSaveFileDialog saveDialog;
  RecordingClipboard clipboard;
  RecordingSpreadsheets spreadsheets;
  // How often the window asked to end the process; the real program ends it there.
  int endProcessCalls = 0;
  std::unique_ptr<Form1> form;
};

// A temporary program folder and settings file for one test.
struct Sandbox {
  QTemporaryDir programFolder;
  QTemporaryDir settingsFolder;

  QString iniFile() const { return settingsFolder.filePath(QStringLiteral("plovane.ini")); }
  QString program() const { return programFolder.path(); }

  // What another process would read back from the settings file.
  QVariant storedValue(const QString& key) const {
    QSettings stored(iniFile(), QSettings::IniFormat);
    return stored.value(QStringLiteral("Plovane/") + key);
  }
  QStringList storedKeys() const {
    QSettings stored(iniFile(), QSettings::IniFormat);
    return stored.allKeys();
  }
};

// A fresh sandbox and a loaded Form1 in it, shown: what a test class's init() makes for each
// test. True when the window can take clicks.
bool openShownForm(std::unique_ptr<Sandbox>& sandbox, std::unique_ptr<FormRig>& rig);

}  // namespace plovane::test
