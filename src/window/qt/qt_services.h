#pragma once

#include <string>

#include "form/folder_browser.h"
#include "form/url_launcher.h"
#include "window/qt/owned_by_window.h"

class QString;

namespace plovane {

// A path from the window system as the core holds it: UTF-8 with the native separators on
// Windows, where the platform layer widens it again; elsewhere the file system's own bytes,
// so that the path opens again under the name chosen.
std::string corePath(const QString& path);

// A path as the core holds it, for the window system: the way back of corePath.
QString qtPath(const std::string& path);

// The folder browser of the window system, showing folders only.
class QtFolderBrowser final : public FolderBrowser, public OwnedByWindow {
 public:
  explicit QtFolderBrowser(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) override { owner_ = owner; }
  std::string browseForFolder(const std::string& prompt, const std::string& initialFolder) override;

 private:
  QWidget* owner_;
};

// The desktop's web browser.
class DesktopUrlLauncher final : public UrlLauncher {
 public:
  void open(const std::string& url) override;
};

}  // namespace plovane
