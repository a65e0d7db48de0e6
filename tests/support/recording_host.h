#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/host.h"
#include "common/settings_store.h"

namespace plovane::test {

// A host that records what a procedure shows instead of showing it. onYield, when set,
// runs inside every yield, as another handler would.
class RecordingHost : public Host {
 public:
  void yield() override {
    ++yields;
    if (onYield) onYield();
  }
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showErrorReport(const std::string& text) override { errorReports.push_back(text); }
  bool isBusy() const override { return busy; }
  void setBusy(bool value) override { busy = value; }
  SettingsStore& settings() override { return store; }

  std::vector<std::string> messages;
  std::vector<std::string> errorReports;
  std::function<void()> onYield;
  long long yields = 0;
  bool busy = false;
  InMemorySettingsStore store;
};

}  // namespace plovane::test
