// plovane-bench: measures the comparison run against a floor, a bare walk of both trees that
// reads every file's last-write time: the file-system work any comparison of the two trees
// has to pay for. The ratio of the two is the figure that matters; seconds depend on the
// machine and are printed only to make the ratio readable.
//
// The synthetic trees are generated from a model that also predicts every result row, so a
// run doubles as a correctness check at a size no unit test reaches.

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

#include "bench_options.h"
#include "bench_support.h"
#include "cli/console_host.h"
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

constexpr unsigned kSequential = 1;

struct Options {
  std::uint32_t files = 200'000;
  int runs = 3;
  unsigned threads = 0;  // the reader threads of the measured runs; 0 the run's default
  bool repeatedNames = false;
  bool scaleCheck = false;
  bool cold = false;
  bool keep = false;
};

struct RunOutcome {
  Timing timing;
  std::size_t messages = 0;
  std::size_t errorReports = 0;
};

RunOutcome runComparison(const std::string& folder1, const std::string& folder2,
                         ResultList& listView3, unsigned threads) {
  cli::ConsoleHost host;
  const Timing timing = timeComparison(folder1, folder2, listView3, host, threads);
  return {timing, host.messages(), host.errorReports()};
}

// ---------------------------------------------------------------------------------------
// The floor: one descriptor-relative walk, no path strings, one fstatat per non-folder
// entry. The directory listing's type field tells folders apart without a status call.

struct WalkTotals {
  std::uint64_t files = 0;
  std::uint64_t folders = 0;
  std::int64_t timeSum = 0;  // consumed, so the status calls cannot be optimised away
};

void walkOpenFolder(int folderFd, WalkTotals& totals) {
  const bool read = forEachEntry(folderFd, [&](int fd, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
      const int sub = openat(fd, entry.d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub >= 0) walkOpenFolder(sub, totals);
      return;
    }
    struct stat status;
    if (fstatat(fd, entry.d_name, &status, 0) != 0) return;
    if (S_ISDIR(status.st_mode)) {
      // Only a file system without types in its listing gets here; links to folders are
      // not followed, which keeps the walk safe on real trees with link loops.
      if (entry.d_type != DT_UNKNOWN) return;
      const int sub = openat(fd, entry.d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) walkOpenFolder(sub, totals);
      return;
    }
    ++totals.files;
    totals.timeSum += status.st_mtim.tv_sec;
  });
  totals.folders += read;
}

struct Floor {
  double seconds = 0;
  WalkTotals totals;  // both sides
};

Floor runFloor(const std::string& folder1, const std::string& folder2) {
  Floor floor;
  const auto walk = [&](const std::string& root) {
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) walkOpenFolder(fd, floor.totals);
  };
  floor.seconds = timed([&] {
                    walk(folder1);
                    walk(folder2);
                  }).seconds;
  return floor;
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
  std::uint64_t rows() const { return count[0] + count[1] + count[2]; }
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

struct ActualRows {
  RowDigest digest;
  std::uint64_t unchecked = 0;
  std::uint64_t unknown = 0;     // rows of no known kind
  std::uint64_t outOfOrder = 0;  // rows of a section after rows of a later section
};

ActualRows digestRows(const ResultList& list, const std::string& root1, const std::string& root2) {
  ActualRows actual;
  int lastSection = kLeftOnly;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    const std::string_view first = list.cell(row, 0).view();
    const std::string_view middle = list.cell(row, 1).view();
    const std::string_view last = list.cell(row, 2).view();
    std::optional<Section> section;
    if (middle == kOnlyHere && last == root2) section = kLeftOnly;
    if (middle == kOnlyHere && last == root1) section = kRightOnly;
    if (middle == kOverwrites) section = kSameName;
    if (!list.isChecked(row)) ++actual.unchecked;
    if (!section) {
      ++actual.unknown;
      continue;
    }
    if (*section < lastSection) ++actual.outOfOrder;
    lastSection = std::max<int>(lastSection, *section);
    actual.digest.add(*section, rowHash(textHash(first), textHash(middle), textHash(last)));
  }
  return actual;
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
      runComparison(warmUp1, warmUp2, warm, threads);
    }
    const bool reset = resetPeakResident();
    const long baseline = statusKiB("VmRSS");
    auto* rows = new ResultList;  // never torn down: that is not part of the run
    runComparison(folder1, folder2, *rows, threads);
    std::printf("peak: %ld\nbaseline: %ld\nreset: %d\nrows: %zu\n", statusKiB("VmHWM") * 1024,
                baseline * 1024, int(reset), rows->rowCount());
  });
}

// The same on a cold cache: the page cache is dropped before each measurement, so every
// listing and status goes to the disk.
bool dropPageCache() {
  sync();
  std::FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
  if (!control) return false;
  const bool written = std::fputs("3\n", control) >= 0;
  return std::fclose(control) == 0 && written;
}

void measureCold(const std::string& root1, const std::string& root2, unsigned threads) {
  if (!dropPageCache()) {
    std::printf("cold: the page cache cannot be dropped here (needs root); not measured\n");
    return;
  }
  const double floor = runFloor(root1, root2).seconds;
  dropPageCache();
  ResultList sequentialRows;
  const double sequential = runComparison(root1, root2, sequentialRows, kSequential).timing.seconds;
  dropPageCache();
  ResultList rows;
  const double comparison = runComparison(root1, root2, rows, threads).timing.seconds;
  std::printf("cold_floor_seconds: %.3f\n", floor);
  std::printf("cold_sequential_seconds: %.3f\n", sequential);
  std::printf("cold_comparison_seconds: %.3f\n", comparison);
  std::printf("cold_ratio: %.2f\n", comparison / floor);
  std::printf("cold_sequential_ratio: %.2f\n", sequential / floor);
}

// ---------------------------------------------------------------------------------------

struct Measurement {
  bool checkOk = false;
  bool underOneGiB = false;
  double comparisonSeconds = 0;
  double floorSeconds = 0;
};

// The timed runs: each floor, sequential and comparison run in turn, so that a change in the
// machine's load touches all three alike.
struct TimedRuns {
  Runs floor;
  Runs comparison;
  Runs sequential;
  std::optional<ActualRows> actual;
  std::uint64_t rows = 0;
  bool rowCountsAgree = true;
  bool floorAgrees = true;
  std::size_t errorReports = 0;
  std::size_t messages = 0;
};

TimedRuns timeRuns(const std::string& root1, const std::string& root2, const Floor& warmUp,
                   const Options& options) {
  TimedRuns runs;
  for (int run = 0; run < options.runs; ++run) {
    const Floor floor = runFloor(root1, root2);
    runs.floorAgrees = runs.floorAgrees && floor.totals.files == warmUp.totals.files &&
                       floor.totals.timeSum == warmUp.totals.timeSum;
    runs.floor.add({floor.seconds, 0});
    for (const bool sequential : {true, false}) {
      ResultList list;
      const RunOutcome outcome =
          runComparison(root1, root2, list, sequential ? kSequential : options.threads);
      runs.rowCountsAgree = runs.rowCountsAgree && (!runs.actual || list.rowCount() == runs.rows);
      if (sequential) {
        runs.sequential.add(outcome.timing);
        continue;
      }
      runs.comparison.add(outcome.timing);
      runs.errorReports += outcome.errorReports;
      runs.messages += outcome.messages;
      if (!runs.actual) {
        runs.actual = digestRows(list, root1, root2);
        runs.rows = list.rowCount();
      }
    }
  }
  return runs;
}

Measurement measureTrees(const Trees& trees, const char* title, bool targetsApply,
                         const Options& options) {
  const std::string temp = temporaryFolder();
  const std::string root1 = temp + "/left/";
  const std::string root2 = temp + "/right/";
  const std::uint64_t filesPerSide = trees.left.size();
  std::printf("scenario: %s\n", title);
  std::printf("files_per_side: %" PRIu64 "\n", filesPerSide);
  std::printf("folders_per_side: %" PRIu32 "\n", trees.folders);
  std::printf("layout: %" PRIu32 " files per folder, folders 3 levels deep, fan-out %" PRIu32 "\n",
              kFilesPerFolder, trees.fanout);
  std::printf("temp_folder: %s\n", temp.c_str());
  std::fflush(stdout);
  std::printf("generate_seconds: %.2f\n",
              timed([&] { generateTrees(trees, root1, root2); }).seconds);
  std::fflush(stdout);
  RowDigest expected;
  std::printf("model_seconds: %.2f\n",
              timed([&] { expected = expectedRows(trees, root1, root2); }).seconds);

  const Floor warmUp = runFloor(root1, root2);
  const std::string leaf = folderPath(trees, 0);
  const Figures memory = measureMemory(root1, root2, root1 + leaf, root2 + leaf, options.threads);
  const TimedRuns runs = timeRuns(root1, root2, warmUp, options);

  std::printf("runs: %d\n", options.runs);
  std::printf("floor_files: %" PRIu64 "\n", warmUp.totals.files);
  std::printf("floor_folders: %" PRIu64 "\n", warmUp.totals.folders);
  printTimes("floor_runs_seconds", runs.floor.seconds);
  printTimes("comparison_runs_seconds", runs.comparison.seconds);
  std::printf("floor_seconds: %.3f\n", runs.floor.best());
  std::printf("comparison_seconds: %.3f\n", runs.comparison.best());
  const double ratio = runs.comparison.best() / runs.floor.best();
  const unsigned threads = options.threads == 0 ? defaultReaderThreads() : options.threads;
  std::printf("reader_threads: %u\n", threads);
  std::printf("ratio: %.2f\n", ratio);
  printTimes("sequential_runs_seconds", runs.sequential.seconds);
  std::printf("sequential_ratio: %.2f\n", runs.sequential.best() / runs.floor.best());
  if (options.cold) measureCold(root1, root2, options.threads);
  // Read ahead by threads, the run should beat a single thread's bare walk.
  const double ratioTarget = options.threads == kSequential ? 1.5 : 0.65;
  if (targetsApply) std::printf("ratio_target_met: %s\n", yesNo(ratio <= ratioTarget));

  const std::uint64_t scanned = 2 * filesPerSide;
  Measurement measurement;
  if (!memory.empty()) {
    const auto growth = std::uint64_t(std::max(0.0, memory.at("peak") - memory.at("baseline")));
    std::printf("peak_bytes: %" PRIu64 "\n", growth);
    std::printf("peak_process_bytes: %.0f\n", memory.at("peak"));
    std::printf("baseline_bytes: %.0f\n", memory.at("baseline"));
    std::printf("peak_mark_reset: %s\n", yesNo(memory.at("reset") != 0));
    std::printf("bytes_per_file: %" PRIu64 "\n", growth / scanned);
    if (targetsApply)
      std::printf("bytes_per_file_target_met: %s\n", yesNo(growth / scanned <= 400));
    measurement.underOneGiB = memory.at("peak") < double(1ULL << 30);
  } else {
    std::printf("peak_bytes: unknown\n");
  }

  const ActualRows& actual = *runs.actual;
  const RowDigest& got = actual.digest;
  std::printf("rows: %" PRIu64 "\n", runs.rows);
  std::printf("rows_expected: %" PRIu64 "\n", expected.rows());
  const char* sectionKeys[kSections] = {"rows_left_only", "rows_right_only", "rows_same_name"};
  for (int section = 0; section < kSections; ++section) {
    std::printf("%s: %" PRIu64 "\n", sectionKeys[section], got.count[section]);
    std::printf("%s_expected: %" PRIu64 "\n", sectionKeys[section], expected.count[section]);
  }
  std::printf("error_reports: %zu\n", runs.errorReports);

  std::vector<std::string> faults;
  if (runs.rows != expected.rows()) faults.push_back("row count");
  if (!std::equal(got.count, got.count + kSections, expected.count)) {
    faults.push_back("rows per kind");
  } else if (!(got == expected)) {
    faults.push_back("row contents");
  }
  if (actual.unknown != 0) faults.push_back(std::to_string(actual.unknown) + " rows of no kind");
  if (actual.outOfOrder != 0) faults.push_back("kinds out of order");
  if (actual.unchecked != 0) faults.push_back(std::to_string(actual.unchecked) + " unchecked");
  if (!runs.rowCountsAgree) faults.push_back("runs disagree");
  if (!memory.empty() && memory.at("rows") != double(runs.rows)) {
    faults.push_back("measuring child disagrees");
  }
  if (runs.errorReports != 0 || runs.messages != 0) faults.push_back("messages shown");
  if (warmUp.totals.files != scanned || !runs.floorAgrees) {
    faults.push_back("floor walk saw other files");
  }
  printCheck(faults);
  measurement.checkOk = faults.empty();

  if (options.keep) {
    std::printf("kept: %s\n", temp.c_str());
  } else {
    removeTree(temp);
  }
  measurement.comparisonSeconds = runs.comparison.best();
  measurement.floorSeconds = runs.floor.best();
  return measurement;
}

int scaleCheck(const Options& options) {
  const std::uint64_t large = std::uint64_t(options.files) * 5;
  if (large > 50'000'000) fail("--files too large for --scale-check");
  const Measurement small = measureTrees(plannedTrees(options.files), "synthetic", true, options);
  std::printf("\n");
  const Measurement big =
      measureTrees(plannedTrees(std::uint32_t(large)), "synthetic", true, options);
  const double scale = big.comparisonSeconds / small.comparisonSeconds;
  std::printf("\nscale_files_per_side: %" PRIu32 " %" PRIu64 "\n", options.files, large);
  std::printf("scale_floor_ratio: %.2f\n", big.floorSeconds / small.floorSeconds);
  std::printf("scale_ratio: %.2f\n", scale);
  std::printf("scale_target_met: %s\n", yesNo(scale <= 5.5));
  return small.checkOk && big.checkOk ? 0 : 1;
}

int benchMain(const Options& options) {
  if (options.scaleCheck) return scaleCheck(options);
  if (options.repeatedNames) {
    const Measurement m = measureTrees(repeatedNamesTrees(), "repeated-names", false, options);
    std::printf("peak_under_1gib: %s\n", yesNo(m.underOneGiB));
    return m.checkOk && m.underOneGiB ? 0 : 1;
  }
  return measureTrees(plannedTrees(options.files), "synthetic", true, options).checkOk ? 0 : 1;
}

void parseOptions(Options& options, int argc, char** argv) {
  CLI::App app(
      "Builds two synthetic folder trees in a fresh temporary folder ($TMPDIR or /tmp),\n"
      "100 files per folder, and times on a warm cache, best of --runs:\n"
      "  the floor       a bare walk of both trees reading every file's last-write time;\n"
      "  the comparison  the comparison run into a result list.\n"
      "Prints key: value lines; ratio is comparison / floor, bytes_per_file the peak\n"
      "resident growth of one comparison divided by the files of both sides. The rows are\n"
      "checked against the generator's model; exit status 1 on a mismatch.\n",
      "plovane-bench");
  addCount(app, "--files", options.files, 50'000'000u, "files per side");
  addCount(app, "--runs", options.runs, 100, "timed runs of each kind");
  addCount(app, "--threads", options.threads, 256u,
           "reader threads of the comparison (default: the run's own; 1 reads sequentially);\n"
           "each run also times the sequential reading, printed as sequential_ratio")
      ->default_str("");
  auto* repeated = app.add_flag("--repeated-names", options.repeatedNames,
                                "5 names in 632 folders of each side: 1,997,120 same-name rows;\n"
                                "exit status 1 also when the peak reaches 1 GiB");
  app.add_flag("--scale-check", options.scaleCheck,
               "runs --files and 5 x --files files per side and prints scale_ratio")
      ->excludes(repeated);
  app.add_flag("--cold", options.cold,
               "also times the floor and both readings on a cold cache, dropping the page\n"
               "cache before each (needs root)");
  app.add_flag("--keep", options.keep, "keeps the generated trees");
  parseCommandLine(app, argc, argv);
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  // Measured as the programs run it, with their allocator settings.
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::setProgramName("plovane-bench");
  plovane::bench::Options options;
  plovane::bench::parseOptions(options, argc, argv);
  return plovane::bench::benchMain(options);
}
