#pragma once

#include <QString>

#include "common/host.h"
#include "window/yield_throttle.h"

class QWidget;

namespace plovane {

class MessageBoxes;

// The host of the core's procedures inside the main window: yields run the Qt event loop
// (where the list models' timers tell the views of new rows), messages are message boxes
// over the window, and the busy state is the window's hourglass.
class QtHost final : public Host {
 public:
  QtHost(QWidget& window, MessageBoxes& boxes, SettingsStore& settings);

  void yield() override;
  void showMessage(const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  bool isBusy() const override;
  void setBusy(bool busy) override;
  SettingsStore& settings() override { return settings_; }

  void setApplicationTitle(const QString& title) { applicationTitle_ = title; }
  const QString& applicationTitle() const { return applicationTitle_; }

 private:
  QWidget& window_;
  MessageBoxes& boxes_;
  SettingsStore& settings_;
  QString applicationTitle_;
  YieldThrottle throttle_;
};

}  // namespace plovane
