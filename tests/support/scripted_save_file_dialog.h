#pragma once

#include <deque>
#include <stdexcept>
#include <string>

#include "form/save_file_dialog.h"

namespace plovane::test {

// Records how it was set up and answers each showing with the next scripted file name; the
// empty text, or no script left, is a cancel. Fails to show when told to.
class ScriptedSaveFileDialog final : public SaveFileDialog {
 public:
  void setFlags(long value) override { flags = value; }
  void setTitle(const std::string& value) override { title = value; }
  void setFilter(const std::string& value) override { filter = value; }
  void showSave() override {
    chosen.clear();
    if (failShowing) throw std::runtime_error("The dialog could not be shown");
    if (answers.empty()) return;
    chosen = answers.front();
    answers.pop_front();
  }
  std::string fileName() const override { return chosen; }

  long flags = -1;
  std::string title;
  std::string filter;
  std::deque<std::string> answers;
  std::string chosen;
  bool failShowing = false;
};

}  // namespace plovane::test
