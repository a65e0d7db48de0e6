#include "export/clipboard.h"

#include <utility>

namespace plovane {

namespace {

// A busy clipboard is the normal case, not an error: an attempt that throws counts as one
// that failed.
template <class Attempt>
bool retry(Attempt&& attempt) {
  for (int tried = 0; tried < kClipboardAttempts; ++tried) {
    try {
      if (attempt()) return true;
    } catch (...) {
    }
  }
  return false;
}

}  // namespace

void ClearClipboard(Clipboard& clipboard) {
  retry([&] { return clipboard.clear(); });
}

bool SetClipboardText(Clipboard& clipboard, std::string&& text, int format) {
  return retry([&] { return clipboard.setText(std::move(text), format); });
}

}  // namespace plovane
