#pragma once

#include <string>

#include "common/clipboard.h"
#include "form/folder_browser.h"
#include "form/message_boxes.h"
#include "form/save_file_dialog.h"
#include "form/url_launcher.h"
#include "window/win32/owned_by_window.h"

namespace plovane {

// MessageBoxW with one OK button, modal over the main window.
class Win32MessageBoxes final : public MessageBoxes, public OwnedByWindow {
 public:
  void setOwner(HWND owner) override { owner_ = owner; }
  void plain(const std::string& title, const std::string& text) override;
  void exclamation(const std::string& title, const std::string& text) override;

 private:
  HWND owner_ = nullptr;
};

// The shell's folder browser (SHBrowseForFolderW), file-system folders only.
class Win32FolderBrowser final : public FolderBrowser, public OwnedByWindow {
 public:
  void setOwner(HWND owner) override { owner_ = owner; }
  std::string browseForFolder(const std::string& prompt, const std::string& initialFolder) override;

 private:
  HWND owner_ = nullptr;
};

// The common save dialog (GetSaveFileNameW). The flags are the dialog's own OFN_* values.
class Win32SaveFileDialog final : public SaveFileDialog, public OwnedByWindow {
 public:
  void setOwner(HWND owner) override { owner_ = owner; }
  void setFlags(long flags) override { flags_ = flags; }
  void setTitle(const std::string& title) override;
  void setFilter(const std::string& filter) override;
  void showSave() override;
  std::string fileName() const override { return fileName_; }

  // "Text (*.txt)|*.txt|" as the dialog takes it: each part ended by a NUL, and one more.
  static std::wstring filterOf(const std::string& filter);

 private:
  HWND owner_ = nullptr;
  long flags_ = 0;
  std::wstring title_;
  std::wstring filter_;
  std::wstring lastChosen_;
  std::string fileName_;
};

// The system clipboard, text as CF_UNICODETEXT.
class Win32Clipboard final : public Clipboard, public OwnedByWindow {
 public:
  void setOwner(HWND owner) override { owner_ = owner; }
  bool clear() override;
  bool setText(std::string&& text, int format) override;

 private:
  HWND owner_ = nullptr;
};

// The shell opens the address with the user's browser.
class ShellUrlLauncher final : public UrlLauncher {
 public:
  void open(const std::string& url) override;
};

// A message box's text with every line break as CR LF, the only one MessageBoxW knows.
std::wstring messageBoxText(const std::string& text);

}  // namespace plovane
