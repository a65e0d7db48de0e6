#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "form/url_launcher.h"

namespace plovane::test {

// Records each address instead of opening a browser; fails after recording it when told to.
class RecordingUrlLauncher final : public UrlLauncher {
 public:
  void open(const std::string& url) override {
    opened.push_back(url);
    if (failure) throw Failure(*failure);
  }
  std::vector<std::string> opened;
  std::optional<std::string> failure;
};

}  // namespace plovane::test
