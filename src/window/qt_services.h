#pragma once

#include <random>

#include "form/folder_chooser.h"
#include "form/form_setup.h"

class QWidget;

namespace plovane {

// The folder browser of the window system, showing folders only.
class QtFolderBrowser final : public FolderBrowser {
 public:
  explicit QtFolderBrowser(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  std::string browseForFolder(const std::string& prompt, const std::string& initialFolder) override;

 private:
  QWidget* owner_;
};

// A uniform draw seeded from the time of day.
class TimeSeededRandom final : public RandomSource {
 public:
  TimeSeededRandom();
  double draw() override;

 private:
  std::mt19937 generator_;
};

// The desktop's web browser.
class DesktopUrlLauncher final : public UrlLauncher {
 public:
  void open(const std::string& url) override;
};

}  // namespace plovane
