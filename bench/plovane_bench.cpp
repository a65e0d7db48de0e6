// plovane-bench: measures the comparison run against a floor, a bare walk of both trees that
// reads every file's last-write time: the file-system work any comparison of the two trees
// has to pay for. The ratio of the two is the figure that matters; seconds depend on the
// machine and are printed only to make the ratio readable.
//
// The synthetic trees are generated from a model that also predicts every result row, so a
// run doubles as a correctness check at a size no unit test reaches.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "peak_memory.h"
#include "platform/list_memory.h"
#include "scan/read_ahead.h"
#include "synthetic_trees.h"
#include "timed_comparison.h"

namespace plovane::bench {
namespace {

// The middle cells the run writes; spelled out here rather than taken from the library, so
// that the check also guards the texts themselves.
constexpr std::string_view kOnlyHere = " is newer than";
constexpr std::string_view kOverwrites = " will overwrite an older";

struct Options {
  std::uint32_t files = 200'000;
  int runs = 3;
  unsigned threads = 0;  // the reader threads of the measured runs; 0 the run's default
  bool repeatedNames = false;
  bool scaleCheck = false;
  bool keep = false;
};

// ---------------------------------------------------------------------------------------
// The floor: one descriptor-relative walk, no path strings, one fstatat per non-folder
// entry. The directory listing's type field tells folders apart without a status call.

struct WalkTotals {
  std::uint64_t files = 0;
  std::int64_t timeSum = 0;  // consumed, so the status calls cannot be optimised away
  friend bool operator==(const WalkTotals&, const WalkTotals&) = default;
};

void walkOpenFolder(int folderFd, WalkTotals& totals) {
  DIR* dir = fdopendir(folderFd);
  if (dir == nullptr) {
    close(folderFd);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    int sub = -1;
    struct stat status;
    if (entry->d_type == DT_DIR) {
      sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } else if (fstatat(dirfd(dir), name, &status, 0) != 0) {
      continue;
    } else if (!S_ISDIR(status.st_mode)) {
      ++totals.files;
      totals.timeSum += status.st_mtim.tv_sec;
    } else if (entry->d_type == DT_UNKNOWN) {
      // Only a file system without types in its listing gets here; links to folders are
      // not followed, which keeps the walk safe on real trees with link loops.
      sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (sub >= 0) walkOpenFolder(sub, totals);
  }
  closedir(dir);
}

// Both trees' walk: its seconds, and what it saw.
std::pair<double, WalkTotals> runFloor(const std::string& folder1, const std::string& folder2) {
  WalkTotals totals;
  const double seconds = timed([&] {
    for (const std::string* root : {&folder1, &folder2}) {
      const int fd = open(root->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd >= 0) walkOpenFolder(fd, totals);
    }
  });
  return {seconds, totals};
}

// ---------------------------------------------------------------------------------------
// What the run must produce. Rows are compared as a multiset per section (left only, right
// only, same name): a count and an order-free sum of row hashes. Order inside a section
// follows the directory listing, which the model cannot predict; order between sections is
// checked on the rows themselves.

enum Section { kLeftOnly = 0, kRightOnly = 1, kSameName = 2, kSections = 3 };

struct RowDigest {
  std::uint64_t count[kSections] = {};
  std::uint64_t sum[kSections] = {};
  friend bool operator==(const RowDigest&, const RowDigest&) = default;
  void add(Section section, std::uint64_t rowHash) {
    ++count[section];
    sum[section] += rowHash;
  }
};

std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

std::uint64_t textHash(std::string_view text) {
  return std::hash<std::string_view>{}(text);
}

std::uint64_t rowHash(std::uint64_t first, std::uint64_t middle, std::uint64_t last) {
  return mix(first + mix(middle + mix(last)));
}

std::vector<std::uint64_t> pathHashes(const Trees& trees, const std::vector<PlannedFile>& files,
                                      const std::string& root) {
  std::vector<std::string> folders(trees.folders);
  for (std::uint32_t f = 0; f < trees.folders; ++f) folders[f] = root + folderPath(trees, f);
  std::vector<std::uint64_t> hashes;
  hashes.reserve(files.size());
  std::string path;
  for (const PlannedFile& file : files) {
    path = folders[file.folder];
    appendName(path, file);
    hashes.push_back(textHash(path));
  }
  return hashes;
}

RowDigest expectedRows(const Trees& trees, const std::string& root1, const std::string& root2) {
  const std::vector<std::uint64_t> paths[2] = {pathHashes(trees, trees.left, root1),
                                               pathHashes(trees, trees.right, root2)};
  // Every file by its name, the left side's first within a name.
  struct Named {
    std::uint64_t key;
    bool right;
    std::uint32_t index;
  };
  std::vector<Named> files;
  files.reserve(trees.left.size() + trees.right.size());
  for (const bool right : {false, true}) {
    const std::vector<PlannedFile>& side = right ? trees.right : trees.left;
    for (std::uint32_t i = 0; i < side.size(); ++i) {
      const auto kind = static_cast<unsigned char>(side[i].kind);
      files.push_back({(std::uint64_t(kind) << 32) | side[i].nameId, right, i});
    }
  }
  std::sort(files.begin(), files.end(), [](const Named& x, const Named& y) {
    return x.key != y.key ? x.key < y.key : x.right < y.right;
  });

  const std::uint64_t only = textHash(kOnlyHere);
  const std::uint64_t overwrites = textHash(kOverwrites);
  const std::uint64_t roots[2] = {textHash(root1), textHash(root2)};
  RowDigest digest;
  for (auto name = files.begin(); name != files.end();) {
    const auto end =
        std::find_if(name, files.end(), [&](const Named& file) { return file.key != name->key; });
    const auto rights = std::find_if(name, end, [](const Named& file) { return file.right; });
    if (rights == name || rights == end) {
      // A name on one side only: a row for each of its files, with the other tree's root.
      for (auto file = name; file != end; ++file) {
        const std::uint64_t path = paths[file->right][file->index];
        digest.add(file->right ? kRightOnly : kLeftOnly, rowHash(path, only, roots[!file->right]));
      }
    }
    for (auto l = name; rights != end && l != rights; ++l) {
      for (auto r = rights; r != end; ++r) {
        const std::int64_t leftTime = trees.left[l->index].seconds;
        const std::int64_t rightTime = trees.right[r->index].seconds;
        const std::uint64_t left = paths[0][l->index];
        const std::uint64_t right = paths[1][r->index];
        if (leftTime > rightTime) digest.add(kSameName, rowHash(left, overwrites, right));
        if (leftTime < rightTime) digest.add(kSameName, rowHash(right, overwrites, left));
      }
    }
    name = end;
  }
  return digest;
}

// The digest of the run's rows; a fault for rows of no kind, unchecked rows, and kinds out of
// order.
RowDigest digestRows(const ResultList& list, const std::string& root1, const std::string& root2,
                     std::vector<std::string>& faults) {
  RowDigest digest;
  std::uint64_t unknown = 0;
  std::uint64_t unchecked = 0;
  bool ordered = true;
  int lastSection = kLeftOnly;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    const std::string_view first = list.cell(row, 0).view();
    const std::string_view middle = list.cell(row, 1).view();
    const std::string_view last = list.cell(row, 2).view();
    std::optional<Section> section;
    if (middle == kOnlyHere && last == root2) section = kLeftOnly;
    if (middle == kOnlyHere && last == root1) section = kRightOnly;
    if (middle == kOverwrites) section = kSameName;
    unchecked += !list.isChecked(row);
    if (!section) {
      ++unknown;
      continue;
    }
    ordered = ordered && *section >= lastSection;
    lastSection = std::max<int>(lastSection, *section);
    digest.add(*section, rowHash(textHash(first), textHash(middle), textHash(last)));
  }
  if (unknown != 0) faults.push_back(std::to_string(unknown) + " rows of no kind");
  if (unchecked != 0) faults.push_back(std::to_string(unchecked) + " unchecked");
  if (!ordered) faults.push_back("kinds out of order");
  return digest;
}

// ---------------------------------------------------------------------------------------
// Peak memory. The comparison runs once more in a child forked before this process ever
// ran it, so the child's high-water mark holds that one run and nothing else: the mark is
// reset after a small warm-up run has paged in the code, and growth is taken over the
// resident size just before the run.
Figures measureMemory(const std::string& folder1, const std::string& folder2,
                      const std::string& warmUp1, const std::string& warmUp2, unsigned threads) {
  return figuresFromChild([&] {
    {
      ResultList warm;
      timeComparison(warmUp1, warmUp2, warm, threads);
    }
    const bool reset = resetPeakResident();
    const long baseline = statusKiB("VmRSS");
    auto* rows = new ResultList;  // never torn down: that is not part of the run
    timeComparison(folder1, folder2, *rows, threads);
    std::printf("peak: %ld\nbaseline: %ld\nreset: %d\nrows: %zu\n", statusKiB("VmHWM") * 1024,
                baseline * 1024, int(reset), rows->rowCount());
  });
}

// ---------------------------------------------------------------------------------------

struct Measurement {
  bool checkOk = false;
  bool underOneGiB = false;
  double comparisonSeconds = 0;
  double floorSeconds = 0;
};

// The timed runs: a floor and a comparison in turn, so that a change in the machine's load
// touches both alike.
struct TimedRuns {
  std::vector<double> floor;
  std::vector<double> comparison;
  std::optional<RowDigest> digest;  // of the first comparison's rows
  std::uint64_t rows = 0;
  std::vector<std::string> faults;
};

TimedRuns timeRuns(const std::string& root1, const std::string& root2, const WalkTotals& seen,
                   const Options& options) {
  TimedRuns runs;
  std::size_t shown = 0;
  bool agree = true;
  for (int run = 0; run < options.runs; ++run) {
    const auto [floorSeconds, totals] = runFloor(root1, root2);
    runs.floor.push_back(floorSeconds);
    agree = agree && totals == seen;
    ResultList list;
    const ComparisonTiming timing = timeComparison(root1, root2, list, options.threads);
    runs.comparison.push_back(timing.seconds);
    shown += timing.messages;
    if (!runs.digest) {
      runs.digest = digestRows(list, root1, root2, runs.faults);
      runs.rows = list.rowCount();
    } else if (list.rowCount() != runs.rows) {
      runs.faults.push_back("runs disagree");
    }
  }
  if (!agree) runs.faults.push_back("floor walks disagree");
  if (shown != 0) runs.faults.push_back("messages shown");
  return runs;
}

Measurement measureTrees(const Trees& trees, bool targetsApply, const Options& options) {
  const std::string temp = temporaryFolder();
  const std::string root1 = temp + "/left/";
  const std::string root2 = temp + "/right/";
  const std::uint64_t scanned = trees.left.size() + trees.right.size();
  std::printf("files_per_side: %zu\n", trees.left.size());
  std::printf("folders_per_side: %" PRIu32 "\n", trees.folders);
  std::fflush(stdout);
  std::printf("generate_seconds: %.2f\n", timed([&] { generateTrees(trees, root1, root2); }));
  const RowDigest expected = expectedRows(trees, root1, root2);

  const WalkTotals seen = runFloor(root1, root2).second;  // and the cache warmed
  const std::string leaf = folderPath(trees, 0);
  const Figures memory = measureMemory(root1, root2, root1 + leaf, root2 + leaf, options.threads);
  TimedRuns runs = timeRuns(root1, root2, seen, options);

  Measurement measurement{false, false, best(runs.comparison), best(runs.floor)};
  const double ratio = measurement.comparisonSeconds / measurement.floorSeconds;
  std::printf("floor_seconds: %.3f\n", measurement.floorSeconds);
  std::printf("comparison_seconds: %.3f\n", measurement.comparisonSeconds);
  const unsigned threads = options.threads == 0 ? defaultReaderThreads() : options.threads;
  std::printf("reader_threads: %u\n", threads);
  std::printf("ratio: %.2f\n", ratio);
  // Read ahead by threads, the run should beat a single thread's bare walk.
  const double ratioTarget = options.threads == 1 ? 1.5 : 0.65;
  if (targetsApply) std::printf("ratio_target_met: %s\n", yesNo(ratio <= ratioTarget));

  if (!memory.empty()) {
    const auto growth = std::uint64_t(std::max(0.0, memory.at("peak") - memory.at("baseline")));
    std::printf("peak_bytes: %" PRIu64 "\n", growth);
    std::printf("peak_mark_reset: %s\n", yesNo(memory.at("reset") != 0));
    std::printf("bytes_per_file: %" PRIu64 "\n", growth / scanned);
    if (targetsApply)
      std::printf("bytes_per_file_target_met: %s\n", yesNo(growth / scanned <= 400));
    measurement.underOneGiB = memory.at("peak") < double(1ULL << 30);
    if (memory.at("rows") != double(runs.rows)) runs.faults.push_back("measuring child disagrees");
  } else {
    std::printf("peak_bytes: unknown\n");
  }

  const RowDigest& got = *runs.digest;
  std::printf("rows: %" PRIu64 "\n", runs.rows);
  std::printf("rows_left_right_same: %" PRIu64 " %" PRIu64 " %" PRIu64 "\n", got.count[kLeftOnly],
              got.count[kRightOnly], got.count[kSameName]);
  if (!std::equal(got.count, got.count + kSections, expected.count)) {
    runs.faults.push_back("rows per kind");
  } else if (!(got == expected)) {
    runs.faults.push_back("row contents");
  }
  if (seen.files != scanned) runs.faults.push_back("floor walk saw other files");
  printCheck(runs.faults);
  measurement.checkOk = runs.faults.empty();

  if (options.keep) {
    std::printf("kept: %s\n", temp.c_str());
  } else {
    removeTree(temp);
  }
  return measurement;
}

int scaleCheck(const Options& options) {
  const std::uint64_t large = std::uint64_t(options.files) * 5;
  if (large > 50'000'000) fail("--files too large for --scale-check");
  const Measurement small = measureTrees(plannedTrees(options.files), true, options);
  std::printf("\n");
  const Measurement big = measureTrees(plannedTrees(std::uint32_t(large)), true, options);
  const double scale = big.comparisonSeconds / small.comparisonSeconds;
  std::printf("\nscale_floor_ratio: %.2f\n", big.floorSeconds / small.floorSeconds);
  std::printf("scale_ratio: %.2f\n", scale);
  std::printf("scale_target_met: %s\n", yesNo(scale <= 5.5));
  return small.checkOk && big.checkOk ? 0 : 1;
}

int benchMain(const Options& options) {
  if (options.scaleCheck) return scaleCheck(options);
  if (options.repeatedNames) {
    const Measurement m = measureTrees(repeatedNamesTrees(), false, options);
    std::printf("peak_under_1gib: %s\n", yesNo(m.underOneGiB));
    return m.checkOk && m.underOneGiB ? 0 : 1;
  }
  return measureTrees(plannedTrees(options.files), true, options).checkOk ? 0 : 1;
}

void parseOptions(Options& options, int argc, char** argv) {
  CLI::App app(
      "Builds two synthetic folder trees in a fresh temporary folder ($TMPDIR or /tmp),\n"
      "100 files per folder, and times on a warm cache, best of --runs:\n"
      "  the floor       a bare walk of both trees reading every file's last-write time;\n"
      "  the comparison  the comparison run into a result list.\n"
      "Prints key: value lines; ratio is comparison / floor (target <= 0.65), bytes_per_file\n"
      "the peak resident growth of one comparison divided by the files of both sides (target\n"
      "<= 400). The rows are checked against the generator's model; exit status 1 on a\n"
      "mismatch.\n",
      "plovane-bench");
  addCount(app, "--files", options.files, 50'000'000u, "files per side");
  addCount(app, "--runs", options.runs, 100, "timed runs of each kind");
  addCount(app, "--threads", options.threads, 256u,
           "reader threads of the comparison (default: the run's own); with 1 it reads\n"
           "sequentially and the ratio's target is 1.5")
      ->default_str("");
  auto* repeated = app.add_flag("--repeated-names", options.repeatedNames,
                                "5 names in 632 folders of each side: 1,997,120 same-name rows;\n"
                                "exit status 1 also when the peak reaches 1 GiB");
  app.add_flag("--scale-check", options.scaleCheck,
               "runs --files and 5 x --files files per side and prints scale_ratio, the\n"
               "comparison's time of the one against the other (target <= 5.5)")
      ->excludes(repeated);
  app.add_flag("--keep", options.keep, "keeps the generated trees");
  parseCommandLine(app, argc, argv);
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  // Measured as the programs run it, with their allocator settings.
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::Options options;
  plovane::bench::parseOptions(options, argc, argv);
  return plovane::bench::benchMain(options);
}
