#pragma once

#include <cstddef>
#include <string>

#include "common/host.h"
#include "common/settings_store.h"

namespace plovane {
class ResultList;
}

namespace plovane::bench {

// The host of a run without a window: nothing to yield to, and every message goes to the
// error stream, where it cannot block and cannot mix with the result rows. A bench that
// wants the yields to do something overrides yield().
class ConsoleHost : public Host {
 public:
  void yield() override {}
  void showMessage(const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  bool isBusy() const override { return busy_; }
  void setBusy(bool busy) override { busy_ = busy; }
  SettingsStore& settings() override { return settings_; }

  std::size_t messages() const { return messages_; }
  std::size_t errorReports() const { return errorReports_; }

 private:
  InMemorySettingsStore settings_;
  bool busy_ = false;
  std::size_t messages_ = 0;
  std::size_t errorReports_ = 0;
};

struct RunTimes {
  double seconds = 0;
  double cpuSeconds = 0;
};

// The core's comparison of two folders into listView3, as the window starts it but with no
// window; the times cover the run alone, not the setting up of the folder lists.
RunTimes timeComparison(const std::string& folder1, const std::string& folder2,
                        ResultList& listView3, Host& host);

}  // namespace plovane::bench
