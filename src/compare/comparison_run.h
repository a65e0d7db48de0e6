#pragma once

#include <string_view>

namespace plovane {

class Host;
class ResultList;
namespace platform {
class FileSystem;
}

inline constexpr std::string_view kSelectTwoFoldersMessage =
    "Please select two folders to compare.";

// The comparison run behind "3. Start Comparing". It reads the folder of listView1 and of
// listView2 (one row each), gathers every file of both trees and fills listView3 with the
// files found under one folder only, then the same-named files whose times differ; every
// row checked. A click while a run is in progress is ignored.
class ComparisonRun {
 public:
  explicit ComparisonRun(const platform::FileSystem& fs) : fs_(fs) {}

  void start(ResultList& listView1, ResultList& listView2, ResultList& listView3, Host& host);
  bool isComparing() const noexcept { return isComparing_; }

 private:
  const platform::FileSystem& fs_;
  bool isComparing_ = false;
};

}  // namespace plovane
