#pragma once

#include <string>
#include <vector>

#include "form/message_boxes.h"

namespace plovane::test {

// Records every message box instead of showing it.
class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Box {
    std::string title;
    std::string text;
  };

  void plain(const std::string& title, const std::string& text) override {
    plains.push_back({title, text});
  }
  void exclamation(const std::string& title, const std::string& text) override {
    exclamations.push_back({title, text});
  }

  std::vector<Box> plains;
  std::vector<Box> exclamations;
};

}  // namespace plovane::test
