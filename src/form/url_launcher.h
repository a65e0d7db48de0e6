#pragma once

#include <string>

namespace plovane {

// Opens an address in the user's web browser without waiting for it.
class UrlLauncher {
 public:
  virtual ~UrlLauncher() = default;
  virtual void open(const std::string& url) = 0;
};

}  // namespace plovane
