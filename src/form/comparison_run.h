#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "compare/time_rule.h"
#include "scan/scan_progress.h"

namespace plovane {

class Host;
class ResultList;
class ListingCache;
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
  // readerThreads worker threads read each tree ahead of the run where the file system
  // allows it; 0 chooses by where each tree lies (readerThreadsFor), and 1 reads them on the
  // calling thread alone. The rows are the same either way.
  explicit ComparisonRun(const platform::FileSystem& fs, unsigned readerThreads = 0);

  void start(ResultList& listView1, ResultList& listView2, ResultList& listView3, Host& host);

  // Last-write times at most this many seconds apart are equal on every pair; 0 is the
  // exact rule, and a negative window counts as 0. Without one (the default) times are equal
  // to the whole second, or within 2 seconds where either side keeps its times in 2-second
  // steps: a FAT volume, or a tree whose times show them (see TwoSecondStepEvidence).
  void setModifyWindow(std::optional<std::int64_t> seconds) { modifyWindow_ = seconds; }

  bool isComparing() const noexcept { return isComparing_; }

  // What the run is doing, for a host to show while it yields.
  enum class Phase { kIdle, kReadingFolder1, kReadingFolder2, kMatching };
  Phase phase() const noexcept { return phase_; }
  // The folders listed and the files seen on the side being read.
  const ScanProgress& scanned() const noexcept { return scanned_; }

 private:
  void beginPhase(Phase phase);
  std::unique_ptr<ListingCache> makeReader();
  static void readAheadFolder2(ListingCache& reader, const ResultList& listView2);
  TimeRule timeRule(const platform::FileSystem& fs, const std::string& folder1,
                    const std::string& folder2) const;

  const platform::FileSystem& fs_;
  unsigned readerThreads_;
  std::optional<std::int64_t> modifyWindow_;
  bool isComparing_ = false;
  Phase phase_ = Phase::kIdle;
  ScanProgress scanned_;
};

// One line that tells what a run is doing: "Reading folder 1: 4,512 folders, 120,233 files",
// or "Comparing 240,466 files"; empty when the run is idle.
std::string describeProgress(const ComparisonRun& run);

// A count with a comma between each group of three digits: 120,233.
std::string withThousandsSeparators(std::size_t count);

}  // namespace plovane
