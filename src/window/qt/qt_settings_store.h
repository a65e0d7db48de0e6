#pragma once

#include <QSettings>

#include "common/settings_store.h"

namespace plovane {

// The settings of organisation "Kestrune", application "Plovane", group "Plovane", in the
// platform's native store. Every write is synced at once: closing the window ends the
// process without a chance to save.
class QtSettingsStore final : public SettingsStore {
 public:
  QtSettingsStore();
  // A store in an INI file of its own, for tests.
  explicit QtSettingsStore(const QString& iniFile);

  std::string read(std::string_view key, std::string_view defaultValue) const override;
  void write(std::string_view key, std::string_view value) override;

 private:
  mutable QSettings settings_;
};

}  // namespace plovane
