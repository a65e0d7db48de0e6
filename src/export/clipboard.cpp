#include "export/clipboard.h"

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

bool SetClipboardText(Clipboard& clipboard, const std::string& text, int format) {
  return retry([&] { return clipboard.setText(text, format); });
}

}  // namespace plovane
