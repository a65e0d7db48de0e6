#pragma once

#include <string>

namespace plovane {

// The main window's message boxes, each modal over the window, with one OK button. Texts
// arrive as the core composed them, CR characters included; a front end shows each CR LF
// and each lone CR as a line break.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // No icon.
  virtual void plain(const std::string& title, const std::string& text) = 0;
  // The exclamation icon.
  virtual void exclamation(const std::string& title, const std::string& text) = 0;
};

}  // namespace plovane
