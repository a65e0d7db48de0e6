#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/clipboard.h"

namespace plovane::test {

// Keeps what is placed on it and counts the attempts. The first `failures` attempts at each
// operation fail, alternately by answering false and by throwing, as a clipboard that
// another program holds open does.
class RecordingClipboard final : public Clipboard {
 public:
  explicit RecordingClipboard(int failures = 0) : failures_(failures) {}

  bool clear() override {
    if (++clears <= failures_) return fail(clears);
    text = std::string();
    return true;
  }
  bool setText(std::string&& value, int format) override {
    if (++sets <= failures_) return fail(sets);
    text = std::move(value);
    lastFormat = format;
    return true;
  }

  int clears = 0;
  int sets = 0;
  int lastFormat = -1;
  // Nothing until the first clear or text, unless a test puts something there before.
  std::optional<std::string> text;

 private:
  static bool fail(int attempt) {
    if (attempt % 2 == 0) throw std::runtime_error("clipboard held by another program");
    return false;
  }
  int failures_;
};

}  // namespace plovane::test
