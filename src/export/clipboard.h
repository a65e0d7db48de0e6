#pragma once

#include <string>

namespace plovane {

// The system clipboard. Either operation fails (answers false, or throws) when the
// clipboard cannot be had, for example while another program holds it open.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool clear() = 0;
  // Places the text in the given native format; 0 stands for the default plain-text format.
  virtual bool setText(const std::string& text, int format) = 0;
};

// The default plain-text format of SetClipboardText.
inline constexpr int kDefaultTextFormat = 0;

// How often each operation is tried before the clipboard is given up on.
inline constexpr int kClipboardAttempts = 1000;

// Empties the clipboard, trying until an attempt succeeds or all attempts have failed.
// Failures are absorbed; there is no pause between attempts.
void ClearClipboard(Clipboard& clipboard);

// Places the text, trying as ClearClipboard does. True when an attempt succeeded.
bool SetClipboardText(Clipboard& clipboard, const std::string& text, int format);

}  // namespace plovane
