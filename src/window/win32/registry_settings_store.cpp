#include "window/win32/registry_settings_store.h"

#include "platform/win32/windows_api.h"

#include "common/failure.h"
#include "platform/win32/wide_text.h"

namespace plovane {

namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::wstring key) : key_(std::move(key)) {}

std::string RegistrySettingsStore::read(std::string_view key, std::string_view defaultValue) const {
  const std::wstring name = toWide(key);
  // The value may change size between the two calls; ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD bytes = 0;
    LONG status = RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name.c_str(), RRF_RT_REG_SZ,
                               nullptr, nullptr, &bytes);
    if (status != ERROR_SUCCESS) return std::string(defaultValue);
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                          value.data(), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::string(defaultValue);
    value.resize(wcsnlen(value.c_str(), value.size()));
    return toUtf8(value);
  }
  return std::string(defaultValue);
}

void RegistrySettingsStore::write(std::string_view key, std::string_view value) {
  const std::wstring name = toWide(key);
  const std::wstring text = toWide(value);
  HKEY opened = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &opened, nullptr);
  if (status == ERROR_SUCCESS) {
    status =
        RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
  }
  if (status != ERROR_SUCCESS) {
    throw Failure("The settings could not be saved", failure_code::kDeviceError);
  }
}

}  // namespace plovane
