#pragma once

#include <chrono>
#include <string>

namespace plovane {

class SettingsStore;

// What a procedure of the core needs from the window around it. The window implements it
// with Qt; tests and tools implement it without one, so no test ever blocks on a dialog.
class Host {
 public:
  virtual ~Host() = default;

  // Lets the window system process its messages. Long loops call it once per item, so an
  // implementation must make a call cheap when little time has passed (see YieldThrottle).
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

// Tells a host when a yield is due: at most once per interval, checked with a cheap clock.
class YieldThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  explicit YieldThrottle(std::chrono::milliseconds interval = std::chrono::milliseconds(10))
      : interval_(interval), last_(Clock::now()) {}

  // True, and restarts the interval, when the interval has passed since the last true.
  bool due();

 private:
  Clock::duration interval_;
  Clock::time_point last_;
};

}  // namespace plovane
