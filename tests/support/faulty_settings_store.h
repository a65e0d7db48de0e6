#pragma once

#include <set>
#include <string>
#include <string_view>

#include "common/failure.h"
#include "common/settings_store.h"

namespace plovane::test {

// Settings in memory whose reads or writes of chosen keys fail, as an unreadable settings
// file or a locked registry key would. Fails nothing until a test says so.
class FaultySettingsStore final : public SettingsStore {
 public:
  std::string read(std::string_view key, std::string_view defaultValue) const override {
    if (unreadableKeys.count(std::string(key)) != 0)
      throw Failure(failure, failure_code::kPermissionDenied);
    return values_.read(key, defaultValue);
  }
  void write(std::string_view key, std::string_view value) override {
    if (readOnly || unwritableKeys.count(std::string(key)) != 0) {
      throw Failure(failure, failure_code::kPermissionDenied);
    }
    values_.write(key, value);
  }
  bool contains(std::string_view key) const { return values_.contains(key); }

  std::set<std::string> unreadableKeys;
  std::set<std::string> unwritableKeys;
  // Every write fails.
  bool readOnly = false;
  // What each failure says.
  std::string failure = "Permission denied";

 private:
  InMemorySettingsStore values_;
};

}  // namespace plovane::test
