#pragma once

#include <random>
#include <string>

#include "form/folder_chooser.h"
#include "form/form_setup.h"

class QString;
class QWidget;

namespace plovane {

// A path from the window system as the core holds it: UTF-8 with the native separators on
// Windows, where the platform layer widens it again; elsewhere the file system's own bytes,
// so that the path opens again under the name chosen.
std::string corePath(const QString& path);

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
