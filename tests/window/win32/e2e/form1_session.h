#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <string>
#include <string_view>

#include "platform/win32/owned.h"
#include "remote_list_view.h"

namespace plovane::e2e {

// The running Form1 of another process, driven through its controls: the buttons are
// clicked, the dialogs they open are answered, the lists are read.
class Form1Session {
 public:
  // Waits for Form1 to be shown; throws after the seconds.
  explicit Form1Session(double seconds);

  HWND form() const { return form_; }
  DWORD processId() const { return processId_; }
  HANDLE process() const { return process_.get(); }
  // A control by its designed name, "PushButton5" or "ListView3".
  HWND control(std::string_view name) const;
  RemoteListView list(std::string_view name) const;

  // Clicks the choose button, selects the folder in the folder browser it opens and clicks
  // OK; returns once the list shows the folder.
  void chooseFolder(std::string_view button, std::string_view list, const std::wstring& folder);
  // "Save Results As Text File", with the path typed into the save dialog; returns once the
  // file is there.
  void saveResultsAs(const std::wstring& path);
  // "Copy Results To Clipboard"; answers the text that arrived on the emptied clipboard.
  std::wstring copyResults();

  // Closes the window as its close box does; returns once the process has ended.
  void close();

  // Throws, naming what is shown, when a message box stands over the window.
  void failOnMessageBox() const;
  // Waits until the condition holds, failing early on a message box; after the seconds
  // throws, with what seen() tells of the moment when it is given.
  void waitFor(const std::string& what, double seconds, const std::function<bool()>& done,
               const std::function<std::string()>& seen = {}) const;

 private:
  HWND waitForDialog(const std::string& what, const std::function<bool(HWND)>& isIt) const;
  void selectInBrowser(HWND browser, const std::wstring& folder) const;

  HWND form_ = nullptr;
  DWORD processId_ = 0;
  platform::win32::OwnedHandle process_;
};

}  // namespace plovane::e2e
