#pragma once

#include "form/message_boxes.h"
#include "window/qt/owned_by_window.h"

namespace plovane {

// Modal QMessageBox dialogs over the window that owns them.
class QtMessageBoxes final : public MessageBoxes, public OwnedByWindow {
 public:
  void setOwner(QWidget* owner) override { owner_ = owner; }
  void plain(const std::string& title, const std::string& text) override;
  void exclamation(const std::string& title, const std::string& text) override;

 private:
  QWidget* owner_ = nullptr;
};

}  // namespace plovane
