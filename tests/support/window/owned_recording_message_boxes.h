#pragma once

#include <QWidget>
#include <vector>

#include "recording_message_boxes.h"
#include "window/qt/owned_by_window.h"

namespace plovane::test {

// Records message boxes as RecordingMessageBoxes does, and for each one the window that
// owned it and whether that window was visible then.
class OwnedRecordingMessageBoxes final : public RecordingMessageBoxes, public OwnedByWindow {
 public:
  struct Owner {
    QWidget* window;
    bool visible;
  };

  void setOwner(QWidget* owner) override { owner_ = owner; }
  void plain(const std::string& title, const std::string& text) override {
    plainOwners.push_back(currentOwner());
    RecordingMessageBoxes::plain(title, text);
  }
  void exclamation(const std::string& title, const std::string& text) override {
    exclamationOwners.push_back(currentOwner());
    RecordingMessageBoxes::exclamation(title, text);
  }

  std::vector<Owner> plainOwners;
  std::vector<Owner> exclamationOwners;

 private:
  Owner currentOwner() const { return {owner_, owner_ != nullptr && owner_->isVisible()}; }

  QWidget* owner_ = nullptr;
};

}  // namespace plovane::test
