#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "common/host.h"
#include "common/settings_store.h"

namespace plovane::cli {

// The host of a run without a window. Messages and error reports go to the error stream as
// one line each, where they cannot mix with the rows; a yield calls the progress reporter
// at most every interval, and costs a clock read otherwise. On a terminal, what it writes
// shows control characters as escapes, so a file name cannot drive the terminal.
class ConsoleHost : public Host {
 public:
  explicit ConsoleHost(std::FILE* errors = stderr, bool errIsTerminal = false)
      : errors_(errors), errIsTerminal_(errIsTerminal) {}

  // Called from yields, at most once per interval.
  void onProgress(std::function<void()> report, std::int64_t intervalMilliseconds);

  void yield() override;
  void showMessage(const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  bool isBusy() const override { return busy_; }
  void setBusy(bool busy) override { busy_ = busy; }
  SettingsStore& settings() override { return settings_; }

  std::size_t messages() const { return messages_; }
  std::size_t errorReports() const { return errorReports_; }
  // Writes a line of the host's own to the error stream, after any progress line is cleared.
  void printLine(const std::string& text);
  // Clears the progress line, if one is shown.
  void clearProgress();
  // Shows the progress line in place of the one shown before.
  void showProgress(const std::string& text);

 private:
  std::string shown(const std::string& text) const;

  std::FILE* errors_;
  bool errIsTerminal_;
  InMemorySettingsStore settings_;
  bool busy_ = false;
  std::size_t messages_ = 0;
  std::size_t errorReports_ = 0;
  std::function<void()> report_;
  std::int64_t interval_ = 0;
  std::int64_t nextReport_ = 0;
  std::size_t progressWidth_ = 0;
};

// An error report as one line: its description, the procedure's label and the step, without
// the request to send a screenshot.
std::string errorReportLine(const std::string& report);

}  // namespace plovane::cli
