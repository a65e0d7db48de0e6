#pragma once

#include <QString>
#include <functional>

#include "common/host.h"

class QWidget;

namespace plovane {

class MessageBoxes;

// The host of the core's procedures inside the main window: yields run the Qt event loop,
// messages are message boxes over the window, and the busy state is the window's hourglass.
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

  // Runs before each turn of the event loop inside a yield, so views learn of new rows.
  void setBeforeEventLoopTurn(std::function<void()> call) { beforeTurn_ = std::move(call); }

 private:
  QWidget& window_;
  MessageBoxes& boxes_;
  SettingsStore& settings_;
  QString applicationTitle_;
  YieldThrottle throttle_;
  std::function<void()> beforeTurn_;
};

}  // namespace plovane
