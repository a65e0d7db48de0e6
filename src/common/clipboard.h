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
  // The clipboard may keep the text itself rather than a copy of it, which for a text of
  // hundreds of megabytes is the difference that counts. It takes the text only when it
  // answers true; otherwise (false, or a throw) the text is left for another attempt.
  virtual bool setText(std::string&& text, int format) = 0;
};

// The default plain-text format of SetClipboardText.
inline constexpr int kDefaultTextFormat = 0;

}  // namespace plovane
