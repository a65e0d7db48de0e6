#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/host.h"
#include "form/folder_browser.h"

namespace plovane::test {

// Answers each dialog with the next scripted folder; the empty text, or no script left, is a
// cancel. Records how each dialog was opened and, given a host, whether the window was busy
// meanwhile.
class ScriptedFolderBrowser final : public FolderBrowser {
 public:
  explicit ScriptedFolderBrowser(const Host* host = nullptr) : host_(host) {}

  std::string browseForFolder(const std::string& prompt,
                              const std::string& initialFolder) override {
    calls.push_back({prompt, initialFolder, host_ != nullptr && host_->isBusy()});
    if (failure) throw Failure(*failure);
    if (answers.empty()) return std::string();
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }

  struct Call {
    std::string prompt;
    std::string initialFolder;
    bool busyDuringDialog;
  };

  std::vector<std::string> prompts() const { return each(&Call::prompt); }
  std::vector<std::string> initialFolders() const { return each(&Call::initialFolder); }

  std::deque<std::string> answers;
  // Set: every dialog fails to open with this description.
  std::optional<std::string> failure;
  std::vector<Call> calls;

 private:
  std::vector<std::string> each(std::string Call::*part) const {
    std::vector<std::string> parts;
    for (const Call& call : calls) parts.push_back(call.*part);
    return parts;
  }

  const Host* host_;
};

}  // namespace plovane::test
