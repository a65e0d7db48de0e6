#include "window/form1_layout.h"

namespace plovane::form1_layout {

const ControlPlacement* placementOf(std::string_view name) {
  for (const ControlPlacement& control : kControls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

}  // namespace plovane::form1_layout
