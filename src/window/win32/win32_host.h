#pragma once

#include <string>

#include "common/host.h"
#include "platform/win32/windows_api.h"
#include "window/yield_throttle.h"

namespace plovane {

class MessageBoxes;

// The host of the core's procedures inside the Win32 main window: a yield is a turn of the
// message pump when the throttle says one is due, messages are the window's message boxes,
// and the busy state is the wait cursor over the window.
class Win32Host final : public Host {
 public:
  Win32Host(MessageBoxes& boxes, SettingsStore& settings);

  // The window whose dialog keys the pump translates, and over which the cursor shows.
  void setWindow(HWND window) { window_ = window; }

  void yield() override;
  void showMessage(const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  bool isBusy() const override { return busy_; }
  void setBusy(bool busy) override;
  SettingsStore& settings() override { return settings_; }

  void setApplicationTitle(const std::string& title) { applicationTitle_ = title; }
  const std::string& applicationTitle() const { return applicationTitle_; }

  // Dispatches the messages waiting in the thread's queue, at most a bounded number, so
  // that a flood of them cannot keep a run from going on. Answers how many it dispatched.
  int pumpMessages();

 private:
  MessageBoxes& boxes_;
  SettingsStore& settings_;
  HWND window_ = nullptr;
  std::string applicationTitle_;
  bool busy_ = false;
  YieldThrottle throttle_;
};

// Dispatches one message as the window's loop does: dialog keys (Tab between the controls)
// first.
void dispatchWindowMessage(HWND window, MSG& message);

}  // namespace plovane
