#pragma once

#include <string>

namespace plovane {

// The folder browser: a modal dialog owned by the main window that shows the prompt, offers
// file-system folders only and preselects initialFolder (nothing when it is empty). Returns
// the chosen folder's path, or the empty text when the user cancels.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  virtual std::string browseForFolder(const std::string& prompt,
                                      const std::string& initialFolder) = 0;
};

}  // namespace plovane
