#include "common/settings_store.h"

namespace plovane {

std::string InMemorySettingsStore::read(std::string_view key, std::string_view defaultValue) const {
  const auto found = values_.find(key);
  return found == values_.end() ? std::string(defaultValue) : found->second;
}

void InMemorySettingsStore::write(std::string_view key, std::string_view value) {
  values_.insert_or_assign(std::string(key), std::string(value));
}

bool InMemorySettingsStore::contains(std::string_view key) const {
  return values_.find(key) != values_.end();
}

}  // namespace plovane
