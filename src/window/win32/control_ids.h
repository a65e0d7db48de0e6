#pragma once

#include <string_view>

namespace plovane::control_ids {

// The control identifiers of Form1's children, from their designed names: PushButton5 is
// 1005, ListView3 is 2003. Programs that drive the window find a control with GetDlgItem.
inline constexpr int kButtonBase = 1000;
inline constexpr int kListBase = 2000;

// 0 for a name that is neither a PushButton nor a ListView with a number.
constexpr int controlIdOf(std::string_view name) {
  int base = 0;
  if (name.starts_with("PushButton")) {
    base = kButtonBase;
    name.remove_prefix(std::string_view("PushButton").size());
  } else if (name.starts_with("ListView")) {
    base = kListBase;
    name.remove_prefix(std::string_view("ListView").size());
  }
  if (base == 0 || name.empty()) return 0;
  int number = 0;
  for (const char digit : name) {
    if (digit < '0' || digit > '9') return 0;
    number = number * 10 + (digit - '0');
  }
  return base + number;
}

}  // namespace plovane::control_ids
