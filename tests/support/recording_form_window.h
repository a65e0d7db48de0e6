#pragma once

#include <set>
#include <string>
#include <vector>

#include "common/failure.h"
#include "form/form_window.h"

namespace plovane::test {

// Records each call of the set-up on the window as "name" or "name:argument"; a call named
// in failing throws `failure` after it was recorded.
class RecordingFormWindow final : public FormWindow {
 public:
  void applyAppearance() override { record("applyAppearance"); }
  void loadCustomPointer(const std::string& path) override { record("loadCustomPointer", path); }
  void setCaption(const std::string& caption) override { record("setCaption", caption); }
  void setProgramIcon() override { record("setProgramIcon"); }
  void setApplicationTitle(const std::string& title) override {
    record("setApplicationTitle", title);
  }

  std::vector<std::string> calls;
  std::set<std::string> failing;
  std::string failure = "Object required";

 private:
  void record(const std::string& name, const std::string& argument = {}) {
    calls.push_back(argument.empty() ? name : name + ":" + argument);
    if (failing.count(name) != 0) throw Failure(failure);
  }
};

}  // namespace plovane::test
