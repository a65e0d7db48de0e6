#pragma once

#include "platform/win32/windows_api.h"

namespace plovane {

// A service whose dialogs belong to the main window: modal over it, centred on it. Form1
// hands its window to each service that is one, once the window exists.
class OwnedByWindow {
 public:
  virtual ~OwnedByWindow() = default;
  virtual void setOwner(HWND owner) = 0;
};

// Gives the owner to the service when it is OwnedByWindow; leaves it alone otherwise (a
// test double).
template <class Service>
void ownDialogsOf(Service& service, HWND owner) {
  if (auto* owned = dynamic_cast<OwnedByWindow*>(&service)) owned->setOwner(owner);
}

}  // namespace plovane
