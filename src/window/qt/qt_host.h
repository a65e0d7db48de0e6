#pragma once

#include <string>

#include "common/host.h"
#include "window/yield_throttle.h"

class QWidget;

namespace plovane {

class MessageBoxes;

// The host of the core's procedures inside the main window: yields run the Qt event loop
// (where the list models' timers tell the views of new rows), messages are the window's
// message boxes, and the busy state is the window's hourglass.
class QtHost final : public Host {
 public:
  QtHost(QWidget& window, MessageBoxes& boxes, SettingsStore& settings);

  void yield() override;
  void showMessage(const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  bool isBusy() const override;
  void setBusy(bool busy) override;
  SettingsStore& settings() override { return settings_; }

  void setApplicationTitle(const std::string& title) { applicationTitle_ = title; }
  const std::string& applicationTitle() const { return applicationTitle_; }

 private:
  QWidget& window_;
  MessageBoxes& boxes_;
  SettingsStore& settings_;
  std::string applicationTitle_;
  YieldThrottle throttle_;
};

}  // namespace plovane
