#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/host.h"
#include "faulty_settings_store.h"

namespace plovane::test {

// A host that records what a procedure shows instead of showing it. onYield, when set,
// runs inside every yield, as another handler would. Its settings live in memory, and fail
// where the test says.
class RecordingHost : public Host {
 public:
  void yield() override {
    ++yields;
    if (!busy) ++idleYields;
    if (onYield) onYield();
  }
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showErrorReport(const std::string& text) override { errorReports.push_back(text); }
  bool isBusy() const override { return busy; }
  void setBusy(bool value) override {
    ++busyChanges;
    busy = value;
  }
  SettingsStore& settings() override { return store; }

  std::vector<std::string> messages;
  std::vector<std::string> errorReports;
  std::function<void()> onYield;
  long long yields = 0;
  // The yields that came while the window was not busy.
  long long idleYields = 0;
  bool busy = false;
  // The calls of setBusy, whatever they set.
  int busyChanges = 0;
  FaultySettingsStore store;
};

}  // namespace plovane::test
