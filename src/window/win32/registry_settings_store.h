#pragma once

#include <string>

#include "common/settings_store.h"

namespace plovane {

// The settings in the current user's registry, as text values of one key. The window on Qt
// keeps them under the same key, so both windows remember the same folders.
class RegistrySettingsStore final : public SettingsStore {
 public:
  // The key below HKEY_CURRENT_USER.
  explicit RegistrySettingsStore(std::wstring key = kDefaultKey);

  std::string read(std::string_view key, std::string_view defaultValue) const override;
  void write(std::string_view key, std::string_view value) override;

  static constexpr const wchar_t* kDefaultKey = L"Software\\Kestrune\\Plovane\\Plovane";

 private:
  std::wstring key_;
};

}  // namespace plovane
