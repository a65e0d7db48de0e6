#pragma once

#include <string>

namespace plovane {

// The save-file dialog of the main window, one for the window's life. The caller sets the
// flags, title and filter before each showing, then shows it and reads the chosen name. The
// dialog offers the name chosen last time again; it never asks before overwriting unless
// the flags say so, and never adds an extension to the name typed.
class SaveFileDialog {
 public:
  virtual ~SaveFileDialog() = default;

  // The common-dialog flags (OFN_*); only kOverwritePrompt changes what the user sees.
  virtual void setFlags(long flags) = 0;
  virtual void setTitle(const std::string& title) = 0;
  // Pairs of description and pattern, each part followed by "|": "Text (*.txt)|*.txt|".
  virtual void setFilter(const std::string& filter) = 0;
  // Shows the dialog modally as a save dialog and returns when it closes.
  virtual void showSave() = 0;
  // The full path chosen at the last showing, or the empty text when the user cancelled.
  virtual std::string fileName() const = 0;

  static constexpr long kReadOnlyBox = 0x1;
  static constexpr long kOverwritePrompt = 0x2;
  static constexpr long kMultipleSelection = 0x200;
  static constexpr long kExplorerStyle = 0x80000;
  static constexpr long kLongNames = 0x200000;
};

}  // namespace plovane
