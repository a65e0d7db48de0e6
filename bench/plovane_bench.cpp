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
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "console_host.h"
#include "platform/list_memory.h"
#include "scan/read_ahead.h"
#include "synthetic_trees.h"

namespace plovane::bench {
namespace {

// The middle cells the run writes; spelled out here rather than taken from the library, so
// that the check also guards the texts themselves.
constexpr std::string_view kOnlyHere = " is newer than";
constexpr std::string_view kOverwrites = " will overwrite an older";

constexpr std::uint64_t kOneGiB = 1ULL << 30;

struct RunOutcome {
  double seconds = 0;
  std::size_t messages = 0;
  std::size_t errorReports = 0;
};

// The reader threads of the measured runs (--threads; 0 the run's default).
unsigned readerThreads = 0;
constexpr unsigned kSequential = 1;

RunOutcome runComparison(const std::string& folder1, const std::string& folder2,
                         ResultList& listView3, unsigned threads = readerThreads) {
  ConsoleHost host;
  RunOutcome outcome;
  outcome.seconds = timeComparison(folder1, folder2, listView3, host, threads).seconds;
  outcome.messages = host.messages();
  outcome.errorReports = host.errorReports();
  return outcome;
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
  DIR* dir = fdopendir(folderFd);
  if (dir == nullptr) {
    close(folderFd);
    return;
  }
  ++totals.folders;
  const int fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    if (entry->d_type == DT_DIR) {
      const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub >= 0) walkOpenFolder(sub, totals);
      continue;
    }
    struct stat status;
    if (fstatat(fd, name, &status, 0) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      // Only a file system without types in its listing gets here; links to folders are
      // not followed, which keeps the walk safe on real trees with link loops.
      if (entry->d_type == DT_UNKNOWN) {
        const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) walkOpenFolder(sub, totals);
      }
      continue;
    }
    ++totals.files;
    totals.timeSum += status.st_mtim.tv_sec;
  }
  closedir(dir);
}

WalkTotals walkTree(const std::string& root) {
  WalkTotals totals;
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) walkOpenFolder(fd, totals);
  return totals;
}

struct FloorOutcome {
  double seconds = 0;
  WalkTotals left;
  WalkTotals right;
};

FloorOutcome runFloor(const std::string& folder1, const std::string& folder2) {
  FloorOutcome outcome;
  const auto start = Clock::now();
  outcome.left = walkTree(folder1);
  outcome.right = walkTree(folder2);
  outcome.seconds = secondsSince(start);
  return outcome;
}

// ---------------------------------------------------------------------------------------
// The scenarios: the trees, and what the bench reports on them.

struct Scenario : Trees {
  std::string title;
  bool targetsApply = true;  // the targets are set for the ordinary mix of files
};

Scenario defaultScenario(std::uint32_t filesPerSide) {
  return Scenario{plannedTrees(filesPerSide), "synthetic", true};
}

// A few names in hundreds of folders of each side, every time distinct, so that each name
// gives occurrences x occurrences rows: 5 x 632 x 632 = 1,997,120. The other 95 files of each
// folder are same-named pairs with equal times.
Scenario repeatedNamesScenario() {
  constexpr std::uint32_t kNames = 5;
  constexpr std::uint32_t kOccurrences = 632;
  Scenario scenario;
  scenario.title = "repeated-names";
  scenario.targetsApply = false;
  scenario.folders = kOccurrences;
  scenario.fanout = fanoutFor(scenario.folders);
  const auto permute = folderPermutation(scenario.folders);
  for (std::uint32_t folder = 0; folder < kOccurrences; ++folder) {
    for (std::uint32_t slot = 0; slot < kFilesPerFolder; ++slot) {
      const std::uint32_t i = folder * kFilesPerFolder + slot;
      PlannedFile left{folder, i, kBaseSeconds + i, 0, 'f'};
      PlannedFile right{permute(folder), i, kBaseSeconds + i, 0, 'f'};
      if (slot < kNames) {
        left.kind = right.kind = 'r';
        left.nameId = right.nameId = slot;
        left.seconds = kBaseSeconds + 2 * std::int64_t(folder) + 1;  // odd: never equal
        right.seconds = kBaseSeconds + 2 * std::int64_t(folder);     // to an even one
      }
      scenario.left.push_back(left);
      scenario.right.push_back(right);
    }
  }
  return scenario;
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

std::uint64_t nameKey(const PlannedFile& file) {
  return (std::uint64_t(static_cast<unsigned char>(file.kind)) << 32) | file.nameId;
}

std::vector<std::uint64_t> pathHashes(const Scenario& scenario,
                                      const std::vector<PlannedFile>& files,
                                      const std::string& root) {
  std::vector<std::string> folders(scenario.folders);
  for (std::uint32_t f = 0; f < scenario.folders; ++f) folders[f] = root + folderPath(scenario, f);
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

std::vector<std::uint32_t> orderByName(const std::vector<PlannedFile>& files) {
  std::vector<std::uint32_t> order(files.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
    return nameKey(files[x]) < nameKey(files[y]);
  });
  return order;
}

RowDigest expectedRows(const Scenario& scenario, const std::string& root1,
                       const std::string& root2) {
  const auto leftHashes = pathHashes(scenario, scenario.left, root1);
  const auto rightHashes = pathHashes(scenario, scenario.right, root2);
  const auto leftOrder = orderByName(scenario.left);
  const auto rightOrder = orderByName(scenario.right);
  const std::uint64_t onlyHash = textHash(kOnlyHere);
  const std::uint64_t overwritesHash = textHash(kOverwrites);
  const std::uint64_t root1Hash = textHash(root1);
  const std::uint64_t root2Hash = textHash(root2);
  constexpr std::uint64_t kEnd = std::numeric_limits<std::uint64_t>::max();

  RowDigest digest;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < leftOrder.size() || j < rightOrder.size()) {
    const std::uint64_t leftKey =
        i < leftOrder.size() ? nameKey(scenario.left[leftOrder[i]]) : kEnd;
    const std::uint64_t rightKey =
        j < rightOrder.size() ? nameKey(scenario.right[rightOrder[j]]) : kEnd;
    const std::uint64_t key = std::min(leftKey, rightKey);
    std::size_t iEnd = i;
    while (iEnd < leftOrder.size() && nameKey(scenario.left[leftOrder[iEnd]]) == key) ++iEnd;
    std::size_t jEnd = j;
    while (jEnd < rightOrder.size() && nameKey(scenario.right[rightOrder[jEnd]]) == key) ++jEnd;
    if (jEnd == j) {
      for (std::size_t k = i; k < iEnd; ++k) {
        ++digest.count[kLeftOnly];
        digest.sum[kLeftOnly] += rowHash(leftHashes[leftOrder[k]], onlyHash, root2Hash);
      }
    } else if (iEnd == i) {
      for (std::size_t k = j; k < jEnd; ++k) {
        ++digest.count[kRightOnly];
        digest.sum[kRightOnly] += rowHash(rightHashes[rightOrder[k]], onlyHash, root1Hash);
      }
    } else {
      for (std::size_t x = i; x < iEnd; ++x) {
        const std::uint32_t l = leftOrder[x];
        for (std::size_t y = j; y < jEnd; ++y) {
          const std::uint32_t r = rightOrder[y];
          const std::int64_t leftTime = scenario.left[l].seconds;
          const std::int64_t rightTime = scenario.right[r].seconds;
          if (leftTime == rightTime) continue;
          ++digest.count[kSameName];
          digest.sum[kSameName] += leftTime > rightTime
                                       ? rowHash(leftHashes[l], overwritesHash, rightHashes[r])
                                       : rowHash(rightHashes[r], overwritesHash, leftHashes[l]);
        }
      }
    }
    i = iEnd;
    j = jEnd;
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
    int section = -1;
    if (middle == kOnlyHere && last == root2) {
      section = kLeftOnly;
    } else if (middle == kOnlyHere && last == root1) {
      section = kRightOnly;
    } else if (middle == kOverwrites) {
      section = kSameName;
    }
    if (!list.isChecked(row)) ++actual.unchecked;
    if (section < 0) {
      ++actual.unknown;
      continue;
    }
    if (section < lastSection) ++actual.outOfOrder;
    lastSection = std::max(lastSection, section);
    ++actual.digest.count[section];
    actual.digest.sum[section] += rowHash(textHash(first), textHash(middle), textHash(last));
  }
  return actual;
}

// ---------------------------------------------------------------------------------------
// Peak memory. The comparison runs once more in a child forked before this process ever
// ran it, so the child's high-water mark holds that one run and nothing else: the mark is
// reset after a small warm-up run has paged in the code, and growth is taken over the
// resident size just before the run.

long statusKiB(const char* key) {
  FILE* file = std::fopen("/proc/self/status", "r");
  if (file == nullptr) return -1;
  char line[256];
  long value = -1;
  const std::size_t keyLength = std::strlen(key);
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, key, keyLength) == 0) {
      value = std::strtol(line + keyLength, nullptr, 10);
      break;
    }
  }
  std::fclose(file);
  return value;
}

bool resetPeakResident() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool done = write(fd, "5", 1) == 1;
  close(fd);
  return done;
}

struct MemoryOutcome {
  bool valid = false;
  bool peakReset = false;
  long baselineKiB = 0;
  long peakKiB = 0;
  std::uint64_t rows = 0;
  std::uint64_t growthBytes() const {
    return peakKiB > baselineKiB ? std::uint64_t(peakKiB - baselineKiB) * 1024 : 0;
  }
};

MemoryOutcome measureMemory(const std::string& folder1, const std::string& folder2,
                            const std::string& warmUp1, const std::string& warmUp2) {
  int channel[2];
  if (pipe(channel) != 0) die("pipe");
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = fork();
  if (child < 0) die("fork");
  if (child == 0) {
    close(channel[0]);
    MemoryOutcome outcome;
    {
      ResultList warm;
      runComparison(warmUp1, warmUp2, warm);
    }
    outcome.peakReset = resetPeakResident();
    outcome.baselineKiB = statusKiB("VmRSS:");
    ResultList rows;
    runComparison(folder1, folder2, rows);
    outcome.peakKiB = statusKiB("VmHWM:");
    outcome.rows = rows.rowCount();
    outcome.valid = outcome.baselineKiB >= 0 && outcome.peakKiB >= 0;
    const bool sent = write(channel[1], &outcome, sizeof outcome) == ssize_t(sizeof outcome);
    _exit(sent ? 0 : 1);  // the rows are not torn down: that is not part of the run
  }
  close(channel[1]);
  MemoryOutcome outcome;
  const bool received = read(channel[0], &outcome, sizeof outcome) == ssize_t(sizeof outcome);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) outcome.valid = false;
  return outcome;
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

void measureCold(const std::string& root1, const std::string& root2) {
  if (!dropPageCache()) {
    std::printf("cold: the page cache cannot be dropped here (needs root); not measured\n");
    return;
  }
  const double floor = runFloor(root1, root2).seconds;
  dropPageCache();
  ResultList sequentialRows;
  const double sequential = runComparison(root1, root2, sequentialRows, kSequential).seconds;
  dropPageCache();
  ResultList rows;
  const double comparison = runComparison(root1, root2, rows).seconds;
  std::printf("cold_floor_seconds: %.3f\n", floor);
  std::printf("cold_sequential_seconds: %.3f\n", sequential);
  std::printf("cold_comparison_seconds: %.3f\n", comparison);
  std::printf("cold_ratio: %.2f\n", comparison / floor);
  std::printf("cold_sequential_ratio: %.2f\n", sequential / floor);
}

// ---------------------------------------------------------------------------------------

struct Options {
  enum class Mode { kSynthetic, kRepeatedNames, kCompare, kScaleCheck } mode = Mode::kSynthetic;
  std::uint32_t files = 200'000;
  int runs = 3;
  bool keep = false;
  bool cold = false;
  std::string folder1;
  std::string folder2;
};

void printHelp() {
  std::printf(
      "usage: plovane-bench [--files N] [--runs N] [--threads N] [--cold] [--keep]\n"
      "       plovane-bench --repeated-names [--runs N] [--keep]\n"
      "       plovane-bench --scale-check [--files N] [--runs N]\n"
      "       plovane-bench --compare DIR1 DIR2\n"
      "\n"
      "Builds two synthetic folder trees in a fresh temporary folder ($TMPDIR or /tmp),\n"
      "100 files per folder, and times on a warm cache, best of --runs (default 3):\n"
      "  the floor       a bare walk of both trees reading every file's last-write time;\n"
      "  the comparison  the comparison run into a result list.\n"
      "Prints key: value lines; ratio is comparison / floor, bytes_per_file the peak\n"
      "resident growth of one comparison divided by the files of both sides. The rows are\n"
      "checked against the generator's model; exit status 1 on a mismatch.\n"
      "\n"
      "  --files N         files per side (default 200000)\n"
      "  --repeated-names  5 names in 632 folders of each side: 1,997,120 same-name rows;\n"
      "                    exit status 1 also when the peak reaches 1 GiB\n"
      "  --scale-check     runs N and 5 x N files per side and prints scale_ratio\n"
      "  --compare D1 D2   compares two real folders: rows to standard output, one per line,\n"
      "                    cells separated by tabs; timing to standard error\n"
      "  --threads N       reader threads of the comparison (default: the run's own;\n"
      "                    1 reads sequentially); each run also times the sequential\n"
      "                    reading, printed as sequential_ratio\n"
      "  --cold            also times the floor and both readings on a cold cache,\n"
      "                    dropping the page cache before each (needs root)\n"
      "  --keep            keeps the generated trees\n");
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      printHelp();
      std::exit(0);
    } else if (arg == "--files" && i + 1 < argc) {
      if (!parseCount(argv[++i], 50'000'000, options.files)) return {};
    } else if (arg == "--runs" && i + 1 < argc) {
      if (!parseCount(argv[++i], 100, options.runs)) return {};
    } else if (arg == "--threads" && i + 1 < argc) {
      if (!parseCount(argv[++i], 256, readerThreads)) return {};
    } else if (arg == "--cold") {
      options.cold = true;
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--repeated-names") {
      options.mode = Options::Mode::kRepeatedNames;
    } else if (arg == "--scale-check") {
      options.mode = Options::Mode::kScaleCheck;
    } else if (arg == "--compare" && i + 2 < argc) {
      options.mode = Options::Mode::kCompare;
      options.folder1 = argv[++i];
      options.folder2 = argv[++i];
    } else {
      return {};
    }
  }
  return options;
}

struct Measurement {
  bool checkOk = false;
  bool underOneGiB = false;
  double comparisonSeconds = 0;
  double floorSeconds = 0;
};

Measurement measureScenario(const Scenario& scenario, const Options& options) {
  Measurement measurement;
  const std::string temp = temporaryFolder();
  const std::string root1 = temp + "/left/";
  const std::string root2 = temp + "/right/";
  const std::uint64_t filesPerSide = scenario.left.size();
  std::printf("scenario: %s\n", scenario.title.c_str());
  std::printf("files_per_side: %" PRIu64 "\n", filesPerSide);
  std::printf("folders_per_side: %" PRIu32 "\n", scenario.folders);
  std::printf("layout: %" PRIu32 " files per folder, folders 3 levels deep, fan-out %" PRIu32 "\n",
              kFilesPerFolder, scenario.fanout);
  std::printf("temp_folder: %s\n", temp.c_str());
  std::fflush(stdout);

  auto start = Clock::now();
  generateSide(scenario, scenario.left, root1);
  generateSide(scenario, scenario.right, root2);
  std::printf("generate_seconds: %.2f\n", secondsSince(start));
  std::fflush(stdout);

  start = Clock::now();
  const RowDigest expected = expectedRows(scenario, root1, root2);
  std::printf("model_seconds: %.2f\n", secondsSince(start));

  const FloorOutcome warmUp = runFloor(root1, root2);
  const std::string leaf = folderPath(scenario, 0);
  const MemoryOutcome memory = measureMemory(root1, root2, root1 + leaf, root2 + leaf);

  double bestFloor = std::numeric_limits<double>::infinity();
  double bestComparison = std::numeric_limits<double>::infinity();
  std::vector<double> floorTimes;
  std::vector<double> comparisonTimes;
  std::optional<ActualRows> actual;
  std::uint64_t rows = 0;
  bool rowCountsAgree = true;
  std::vector<double> sequentialTimes;
  double bestSequential = std::numeric_limits<double>::infinity();
  std::size_t errorReports = 0;
  std::size_t messages = 0;
  bool floorCountsAgree = true;
  for (int run = 0; run < options.runs; ++run) {
    const FloorOutcome floor = runFloor(root1, root2);
    floorCountsAgree =
        floorCountsAgree && floor.left.files == warmUp.left.files &&
        floor.right.files == warmUp.right.files &&
        floor.left.timeSum + floor.right.timeSum == warmUp.left.timeSum + warmUp.right.timeSum;
    floorTimes.push_back(floor.seconds);
    bestFloor = std::min(bestFloor, floor.seconds);

    {
      ResultList sequential;
      const RunOutcome outcome = runComparison(root1, root2, sequential, kSequential);
      sequentialTimes.push_back(outcome.seconds);
      bestSequential = std::min(bestSequential, outcome.seconds);
      rowCountsAgree = rowCountsAgree && (!actual || sequential.rowCount() == rows);
    }
    auto list = std::make_unique<ResultList>();
    const RunOutcome outcome = runComparison(root1, root2, *list);
    comparisonTimes.push_back(outcome.seconds);
    bestComparison = std::min(bestComparison, outcome.seconds);
    errorReports += outcome.errorReports;
    messages += outcome.messages;
    if (!actual) {
      actual = digestRows(*list, root1, root2);
      rows = list->rowCount();
    } else if (list->rowCount() != rows) {
      rowCountsAgree = false;
    }
  }

  std::printf("runs: %d\n", options.runs);
  std::printf("floor_files: %" PRIu64 "\n", warmUp.left.files + warmUp.right.files);
  std::printf("floor_folders: %" PRIu64 "\n", warmUp.left.folders + warmUp.right.folders);
  printTimes("floor_runs_seconds", floorTimes);
  printTimes("comparison_runs_seconds", comparisonTimes);
  std::printf("floor_seconds: %.3f\n", bestFloor);
  std::printf("comparison_seconds: %.3f\n", bestComparison);
  const double ratio = bestComparison / bestFloor;
  std::printf("reader_threads: %u\n", readerThreads == 0 ? defaultReaderThreads() : readerThreads);
  std::printf("ratio: %.2f\n", ratio);
  printTimes("sequential_runs_seconds", sequentialTimes);
  std::printf("sequential_ratio: %.2f\n", bestSequential / bestFloor);
  if (options.cold) measureCold(root1, root2);
  if (scenario.targetsApply) {
    // Read ahead by threads, the run should beat a single thread's bare walk.
    const bool sequential = readerThreads == kSequential;
    std::printf("ratio_target_met: %s\n", yesNo(ratio <= (sequential ? 1.5 : 0.65)));
  }

  const std::uint64_t scanned = 2 * filesPerSide;
  const std::uint64_t growth = memory.growthBytes();
  if (memory.valid) {
    std::printf("peak_bytes: %" PRIu64 "\n", growth);
    std::printf("peak_process_bytes: %" PRIu64 "\n", std::uint64_t(memory.peakKiB) * 1024);
    std::printf("baseline_bytes: %" PRIu64 "\n", std::uint64_t(memory.baselineKiB) * 1024);
    std::printf("peak_mark_reset: %s\n", yesNo(memory.peakReset));
    std::printf("bytes_per_file: %" PRIu64 "\n", scanned ? growth / scanned : 0);
    if (scenario.targetsApply) {
      std::printf("bytes_per_file_target_met: %s\n", yesNo(scanned && growth / scanned <= 400));
    }
    measurement.underOneGiB = std::uint64_t(memory.peakKiB) * 1024 < kOneGiB;
  } else {
    std::printf("peak_bytes: unknown\n");
  }

  std::printf("rows: %" PRIu64 "\n", rows);
  std::printf("rows_expected: %" PRIu64 "\n", expected.rows());
  const RowDigest& got = actual->digest;
  const char* sectionKeys[kSections] = {"rows_left_only", "rows_right_only", "rows_same_name"};
  for (int section = 0; section < kSections; ++section) {
    std::printf("%s: %" PRIu64 "\n", sectionKeys[section], got.count[section]);
    std::printf("%s_expected: %" PRIu64 "\n", sectionKeys[section], expected.count[section]);
  }
  std::printf("error_reports: %zu\n", errorReports);

  std::vector<std::string> faults;
  if (rows != expected.rows()) faults.push_back("row count");
  if (got.count[0] != expected.count[0] || got.count[1] != expected.count[1] ||
      got.count[2] != expected.count[2]) {
    faults.push_back("rows per kind");
  } else if (!(got == expected)) {
    faults.push_back("row contents");
  }
  if (actual->unknown != 0) faults.push_back(std::to_string(actual->unknown) + " rows of no kind");
  if (actual->outOfOrder != 0) faults.push_back("kinds out of order");
  if (actual->unchecked != 0) faults.push_back(std::to_string(actual->unchecked) + " unchecked");
  if (!rowCountsAgree) faults.push_back("runs disagree");
  if (memory.valid && memory.rows != rows) faults.push_back("measuring child disagrees");
  if (errorReports != 0 || messages != 0) faults.push_back("messages shown");
  if (warmUp.left.files + warmUp.right.files != scanned || !floorCountsAgree) {
    faults.push_back("floor walk saw other files");
  }
  measurement.checkOk = faults.empty();
  if (faults.empty()) {
    std::printf("check: ok\n");
  } else {
    std::printf("check: MISMATCH\n");
    for (const auto& fault : faults) std::printf("check_fault: %s\n", fault.c_str());
  }
  std::fflush(stdout);

  if (options.keep) {
    std::printf("kept: %s\n", temp.c_str());
  } else {
    removeTree(temp);
  }
  measurement.comparisonSeconds = bestComparison;
  measurement.floorSeconds = bestFloor;
  return measurement;
}

int compareFolders(std::string folder1, std::string folder2) {
  if (folder1.empty() || folder1.back() != '/') folder1 += '/';
  if (folder2.empty() || folder2.back() != '/') folder2 += '/';
  runFloor(folder1, folder2);  // warms the cache for both measurements
  const FloorOutcome floor = runFloor(folder1, folder2);
  ResultList list;
  const RunOutcome outcome = runComparison(folder1, folder2, list);

  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < 3; ++column) {
      const std::string_view cell = list.cell(row, column).view();
      if (column > 0) std::fputc('\t', stdout);
      std::fwrite(cell.data(), 1, cell.size(), stdout);
    }
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "rows: %zu\n", list.rowCount());
  std::fprintf(stderr, "floor_files: %" PRIu64 "\n", floor.left.files + floor.right.files);
  std::fprintf(stderr, "floor_seconds: %.3f\n", floor.seconds);
  std::fprintf(stderr, "comparison_seconds: %.3f\n", outcome.seconds);
  if (floor.seconds > 0) std::fprintf(stderr, "ratio: %.2f\n", outcome.seconds / floor.seconds);
  std::fprintf(stderr, "error_reports: %zu\n", outcome.errorReports);
  return 0;
}

int benchMain(int argc, char** argv) {
  const auto options = parseOptions(argc, argv);
  if (!options) {
    printHelp();
    return 2;
  }
  switch (options->mode) {
    case Options::Mode::kCompare:
      return compareFolders(options->folder1, options->folder2);
    case Options::Mode::kSynthetic: {
      const Measurement m = measureScenario(defaultScenario(options->files), *options);
      return m.checkOk ? 0 : 1;
    }
    case Options::Mode::kRepeatedNames: {
      const Measurement m = measureScenario(repeatedNamesScenario(), *options);
      std::printf("peak_under_1gib: %s\n", yesNo(m.underOneGiB));
      return m.checkOk && m.underOneGiB ? 0 : 1;
    }
    case Options::Mode::kScaleCheck: {
      const std::uint64_t large = std::uint64_t(options->files) * 5;
      if (large > 50'000'000) {
        std::fprintf(stderr, "plovane-bench: --files too large for --scale-check\n");
        return 2;
      }
      const Measurement small = measureScenario(defaultScenario(options->files), *options);
      std::printf("\n");
      const Measurement big = measureScenario(defaultScenario(std::uint32_t(large)), *options);
      const double scale = big.comparisonSeconds / small.comparisonSeconds;
      std::printf("\nscale_files_per_side: %" PRIu32 " %" PRIu64 "\n", options->files, large);
      std::printf("scale_floor_ratio: %.2f\n", big.floorSeconds / small.floorSeconds);
      std::printf("scale_ratio: %.2f\n", scale);
      std::printf("scale_target_met: %s\n", yesNo(scale <= 5.5));
      return small.checkOk && big.checkOk ? 0 : 1;
    }
  }
  return 2;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  // Measured as the programs run it, with their allocator settings.
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::setProgramName("plovane-bench");
  return plovane::bench::benchMain(argc, argv);
}
