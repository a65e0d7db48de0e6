#pragma once

#include <string>

namespace plovane {

// What the set-up of the main window needs of the window itself: its appearance, pointer,
// caption, icon and the title of its message boxes. Each call may fail with an exception;
// the set-up reports it under the step that made the call and goes on.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  // The skin beside the program, when there is one.
  virtual void applyAppearance() = 0;
  // Loads the pointer file as the image the buttons show while the mouse is over them.
  virtual void loadCustomPointer(const std::string& path) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void setProgramIcon() = 0;
  // The title of every message box that has none of its own.
  virtual void setApplicationTitle(const std::string& title) = 0;
};

}  // namespace plovane
