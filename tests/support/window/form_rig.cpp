#include "form_rig.h"

#include "window_input.h"

namespace plovane::test {

bool openShownForm(std::unique_ptr<Sandbox>& sandbox, std::unique_ptr<FormRig>& rig) {
  sandbox = std::make_unique<Sandbox>();
  rig = std::make_unique<FormRig>(sandbox->iniFile(), sandbox->program());
  (*rig)->Form_Load();
  return showAndWait(**rig);
}

}  // namespace plovane::test
