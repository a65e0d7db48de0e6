#pragma once

#include <string>

namespace plovane {

class SettingsStore;

// What a procedure of the core needs from the window around it. The window implements it
// with Qt; tests and tools implement it without one, so no test ever blocks on a dialog.
class Host {
 public:
  virtual ~Host() = default;

  // Lets the window system process its messages. Long loops call it once per item, so an
  // implementation must make a call cheap when little time has passed.
  // Other handlers, and a close of the window, may run inside it.
  virtual void yield() = 0;

  // A message box with one OK button, no icon and the application title.
  virtual void showMessage(const std::string& text) = 0;

  // The error report: title "Application Error", exclamation icon, one OK button.
  virtual void showErrorReport(const std::string& text) = 0;

  // The busy state: the main window's pointer is the hourglass.
  virtual bool isBusy() const = 0;
  virtual void setBusy(bool busy) = 0;

  virtual SettingsStore& settings() = 0;
};

}  // namespace plovane
