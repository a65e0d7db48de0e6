#pragma once

class QWidget;

namespace plovane {

// A service that shows a dialog of the window system, modal over a window it is given. The
// service interfaces know no windows; Form1 gives itself to each of its services that is one
// of these, so that every dialog stands over the main window.
class OwnedByWindow {
 public:
  virtual ~OwnedByWindow() = default;
  virtual void setOwner(QWidget* owner) = 0;
};

// Gives the window to the service when it shows dialogs of the window system.
template <class Service>
void ownDialogsOf(Service& service, QWidget* window) {
  if (auto* owned = dynamic_cast<OwnedByWindow*>(&service)) owned->setOwner(window);
}

}  // namespace plovane
