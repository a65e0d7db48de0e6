#pragma once

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWidget>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result_list.h"
#include "export/clipboard.h"
#include "export/save_file_dialog.h"
#include "form/folder_chooser.h"
#include "form/form_setup.h"
#include "platform/file_system.h"
#include "recording_spreadsheet.h"
#include "window/form1.h"
#include "window/message_boxes.h"
#include "window/qt_settings_store.h"

namespace plovane::test {

// The test groups, each a Qt Test class run by main().
int runLayoutTests(int argc, char** argv);
int runComparingTests(int argc, char** argv);
int runEditingTests(int argc, char** argv);
int runStartUpTests(int argc, char** argv);
int runResultListModelTests(int argc, char** argv);
int runTextExportTests(int argc, char** argv);
int runSpreadsheetExportTests(int argc, char** argv);

// Records every message box instead of showing it, with whether the window was visible then.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Box {
    QWidget* parent;
    bool parentVisible;
    QString title;
    QString text;
  };

  void plain(QWidget* parent, const QString& title, const QString& text) override {
    plains.push_back({parent, parent && parent->isVisible(), title, text});
  }
  void exclamation(QWidget* parent, const QString& title, const QString& text) override {
    exclamations.push_back({parent, parent && parent->isVisible(), title, text});
  }

  std::vector<Box> plains;
  std::vector<Box> exclamations;
};

// Answers each dialog with the next scripted folder; the empty text, or no script left, is a
// cancel.
class ScriptedFolderBrowser final : public FolderBrowser {
 public:
  std::string browseForFolder(const std::string& prompt,
                              const std::string& initialFolder) override {
    prompts.push_back(prompt);
    initialFolders.push_back(initialFolder);
    if (answers.empty()) return std::string();
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<std::string> answers;
  std::vector<std::string> prompts;
  std::vector<std::string> initialFolders;
};

// A draw that never opens the home page (0.5 gives 51, not 7).
class FixedRandom final : public RandomSource {
 public:
  double draw() override { return 0.5; }
};

class RecordingUrlLauncher final : public UrlLauncher {
 public:
  void open(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

// Answers each showing with the next scripted file name; the empty text, or no script
// left, is a cancel.
class ScriptedSaveFileDialog final : public SaveFileDialog {
 public:
  void setFlags(long) override {}
  void setTitle(const std::string&) override {}
  void setFilter(const std::string&) override {}
  void showSave() override {
    chosen.clear();
    if (answers.empty()) return;
    chosen = answers.front();
    answers.pop_front();
  }
  std::string fileName() const override { return chosen; }

  std::deque<std::string> answers;
  std::string chosen;
};

// Keeps what is placed on it.
class RecordingClipboard final : public Clipboard {
 public:
  bool clear() override {
    text = std::string();
    return true;
  }
  bool setText(std::string&& value, int) override {
    text = std::move(value);
    return true;
  }

  std::optional<std::string> text;  // nothing until the first clear or text
};

// A Form1 with fakes for everything modal, its settings in an INI file that outlives the
// window (so a second rig on the same file is a restart), and a program folder that holds
// nothing unless a test puts something there.
class FormRig {
 public:
  FormRig(const QString& iniFile, const QString& programFolder,
          const platform::FileSystem& fs = platform::nativeFileSystem())
      : settings(iniFile) {
    form = std::make_unique<Form1>(Form1Services{boxes, browser, settings, random, launcher,
                                                 saveDialog, clipboard, spreadsheets, fs,
                                                 programFolder,
                                                 [this] { ++endProcessCalls; }});
  }

  Form1& operator*() { return *form; }
  Form1* operator->() { return form.get(); }

  RecordingMessageBoxes boxes;
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

inline std::string cellText(const ResultList& list, std::size_t row, std::size_t column) {
  return std::string(list.cell(row, column).view());
}

inline QStringList firstCells(const ResultList& list) {
  QStringList cells;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    cells << QString::fromStdString(cellText(list, row, 0));
  }
  return cells;
}

inline QStringList toList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) list << QString::fromStdString(text);
  return list;
}

// Shows the window and waits until it can take clicks.
bool showAndWait(QWidget& window);

// A fresh sandbox and a loaded Form1 in it, shown: what a test class's init() makes for each
// test. True when the window can take clicks.
inline bool openShownForm(std::unique_ptr<Sandbox>& sandbox, std::unique_ptr<FormRig>& rig) {
  sandbox = std::make_unique<Sandbox>();
  rig = std::make_unique<FormRig>(sandbox->iniFile(), sandbox->program());
  (*rig)->Form_Load();
  return showAndWait(**rig);
}

void click(QPushButton* button);

// Clicks a row of a list, as the user selects it.
void clickRow(QTreeView* view, int row);

void doubleClickRow(QTreeView* view, int row);
void doubleClickAt(QWidget* widget, QPoint local);

// Moves the real mouse over the middle of the widget (or the point given in its
// coordinates), so that the window system delivers the move as it would to the user.
void hover(QWidget* widget, QPoint local = QPoint(-1, -1));

}  // namespace plovane::test
