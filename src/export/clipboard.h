#pragma once

#include <string>

#include "common/clipboard.h"

namespace plovane {

// How often each operation is tried before the clipboard is given up on.
inline constexpr int kClipboardAttempts = 1000;

// Empties the clipboard, trying until an attempt succeeds or all attempts have failed.
// Failures are absorbed; there is no pause between attempts.
void ClearClipboard(Clipboard& clipboard);

// Places the text, trying as ClearClipboard does. True when an attempt succeeded, which took
// the text; false leaves it to the caller.
bool SetClipboardText(Clipboard& clipboard, std::string&& text, int format);

}  // namespace plovane
