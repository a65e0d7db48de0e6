// plovane-window-bench: how the window holds up under a large comparison, clicking the real
// buttons of a real Form1, and under a result list of a million rows (see --help). Seconds
// depend on the machine and are printed only to make the gaps and the ratios readable.

#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QMetaEnum>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench_options.h"
#include "bench_support.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/shared_text.h"
#include "fixed_random.h"
#include "loop_host.h"
#include "platform/file_system.h"
#include "platform/list_memory.h"
#include "recording_clipboard.h"
#include "recording_message_boxes.h"
#include "recording_spreadsheet.h"
#include "recording_url_launcher.h"
#include "scripted_folder_browser.h"
#include "scripted_save_file_dialog.h"
#include "synthetic_trees.h"
#include "timed_comparison.h"
#include "turn_recorder.h"
#include "window/qt/form1.h"

namespace plovane::bench {
namespace {

constexpr double kGapTargetMs = 50.0;
constexpr double kRatioTarget = 1.15;
constexpr int kScrollJumps = 200;  // scroll bar positions each way, top to bottom and back

struct Options {
  std::uint32_t files = 200'000;
  std::uint32_t listRows = 1'000'000;
  int runs = 5;
  double fillLimitSeconds = 60;
  bool keep = false;
  std::string trees;
};

// Trees in a folder the user names are kept and reused by a later run with the same size;
// a marker written after the last file tells a complete pair from an interrupted one.
std::string markerPath(const std::string& folder) {
  return folder + "/plovane-window-bench.files";
}

bool treesComplete(const std::string& folder, std::uint32_t filesPerSide) {
  std::ifstream marker(markerPath(folder));
  std::uint64_t files = 0;
  return static_cast<bool>(marker >> files) && files == filesPerSide;
}

// The core's run without the window, as the command line has it, or with the steps between
// it and the window (LoopHost's ways of yielding).
struct CoreRun {
  Timing timing;
  std::size_t yields = 0;
};

CoreRun runCore(const std::string& folder1, const std::string& folder2, ResultList& listView3,
                std::size_t& messages, LoopHost::Yielding yielding = LoopHost::Yielding::kNothing) {
  LoopHost host(yielding);
  const Timing timing = timeComparison(folder1, folder2, listView3, host);
  messages += host.messages() + host.errorReports();
  return {timing, host.yields()};
}

// Order-sensitive: the window and the core list the same trees in the same order.
bool sameRows(const ResultList& x, const ResultList& y) {
  if (x.rowCount() != y.rowCount()) return false;
  for (std::size_t row = 0; row < x.rowCount(); ++row) {
    if (x.isChecked(row) != y.isChecked(row)) return false;
    for (std::size_t column = 0; column < 3; ++column) {
      if (x.cell(row, column).view() != y.cell(row, column).view()) return false;
    }
  }
  return true;
}

// What Form1 reaches outside itself, none of it modal: the suites' test doubles. A browse
// answers the next folder of the queue and then a cancel, the home page is never drawn,
// saving is cancelled, and no spreadsheet program is installed.
struct BenchServices {
  BenchServices() {
    random.value = 0.0;
    spreadsheets.installed = false;
  }

  test::RecordingMessageBoxes messageBoxes;
  test::ScriptedFolderBrowser folderBrowser;
  test::FixedRandom random;
  test::RecordingUrlLauncher urlLauncher;
  test::ScriptedSaveFileDialog saveFileDialog;
  test::RecordingClipboard clipboard;
  test::RecordingSpreadsheets spreadsheets;
};

// Where the window's time goes: every event delivered from the event loop, timed by its
// type and receiver class. Only outermost deliveries count, so nested event loops inside a
// handler are not counted twice.
struct EventCost {
  std::uint64_t count = 0;
  Clock::duration total{};
  Clock::duration longest{};
};

class ProfilingApplication final : public QApplication {
 public:
  using QApplication::QApplication;
  using Key = std::pair<int, const char*>;

  bool notify(QObject* receiver, QEvent* event) override {
    if (!profiling_ || depth_ > 0) {
      ++depth_;
      const bool result = QApplication::notify(receiver, event);
      --depth_;
      return result;
    }
    // Read before delivery: the receiver may be gone afterwards.
    const Key key{event->type(), receiver->metaObject()->className()};
    ++depth_;
    const auto start = Clock::now();
    const bool result = QApplication::notify(receiver, event);
    const auto spent = Clock::now() - start;
    --depth_;
    EventCost& cost = costs_[key];
    ++cost.count;
    cost.total += spent;
    cost.longest = std::max(cost.longest, spent);
    return result;
  }

  void startProfiling() {
    costs_.clear();
    profiling_ = true;
  }
  void stopProfiling() { profiling_ = false; }

  // The costs of the last profiled stretch, the dearest first.
  void printCosts(const char* prefix, std::size_t shown) const {
    std::vector<std::pair<Key, EventCost>> costs(costs_.begin(), costs_.end());
    std::sort(costs.begin(), costs.end(),
              [](const auto& x, const auto& y) { return x.second.total > y.second.total; });
    Clock::duration all{};
    for (const auto& [key, cost] : costs) all += cost.total;
    std::printf("%s_events_ms: %.1f\n", prefix, milliseconds(all));
    for (std::size_t i = 0; i < shown && i < costs.size(); ++i) {
      const auto& [key, cost] = costs[i];
      const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(key.first);
      std::printf("%s_event: %s %s count %" PRIu64 " total_ms %.1f longest_ms %.1f\n", prefix,
                  name ? name : std::to_string(key.first).c_str(), key.second, cost.count,
                  milliseconds(cost.total), milliseconds(cost.longest));
    }
  }

 private:
  bool profiling_ = false;
  int depth_ = 0;
  std::map<Key, EventCost> costs_;
};

// Marks the phases of a run on the result list, and counts the batches in which the model
// tells the view of new rows.
class RunWatch final : public ResultListObserver {
 public:
  RunWatch(ResultList& list, QAbstractItemModel& model) : list_(list) {
    list_.addObserver(this);
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [this] { ++batches; });
  }
  ~RunWatch() override { list_.removeObserver(this); }
  RunWatch(const RunWatch&) = delete;
  RunWatch& operator=(const RunWatch&) = delete;

  void reset() {
    clearedAt = firstRowAt = checkedAt = std::nullopt;
    batches = 0;
  }

  // The phase of the run at a moment: before the list was emptied, gathering both trees,
  // appending rows, or ticking them and handing back to the loop.
  const char* phaseAt(Clock::time_point moment) const {
    if (checkedAt && moment >= *checkedAt) return "ticking rows and returning";
    if (firstRowAt && moment >= *firstRowAt) return "appending rows";
    if (clearedAt && moment >= *clearedAt) return "gathering and matching files";
    return "emptying the result list";
  }

  std::optional<Clock::time_point> clearedAt;
  std::optional<Clock::time_point> firstRowAt;
  std::optional<Clock::time_point> checkedAt;
  std::size_t batches = 0;

 private:
  void cleared() override { clearedAt = Clock::now(); }
  void rowsAppended(std::size_t, std::size_t) override {
    if (!firstRowAt) firstRowAt = Clock::now();
  }
  void checkStatesChanged(std::size_t, std::size_t) override { checkedAt = Clock::now(); }

  ResultList& list_;
};

class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// One run through the window.
struct WindowRun {
  Timing timing;
  Clock::duration longestGap{};
  const char* gapPhase = "";
  double gapAtMs = 0;
  std::size_t turns = 0;
  std::size_t gapsOverTarget = 0;
  std::size_t batches = 0;
};

class Bench {
 public:
  Bench(ProfilingApplication& application, const std::string& programFolder)
      : application_(application),
        form_({services_.messageBoxes, services_.folderBrowser, settings_, services_.random,
               services_.urlLauncher, services_.saveFileDialog, services_.clipboard,
               services_.spreadsheets, platform::nativeFileSystem(), programFolder, [] {}}),
        watch_(form_.listView3(), form_.model(2)) {
    form_.Form_Load();
    form_.show();
    settle();
  }

  Form1& form() { return form_; }
  std::size_t messages() const {
    return services_.messageBoxes.plains.size() + services_.messageBoxes.exclamations.size();
  }

  // The two folders, chosen through the window's own buttons.
  bool chooseFolders(const std::string& folder1, const std::string& folder2) {
    services_.folderBrowser.answers = {folder1, folder2};
    form_.PushButton3->click();
    form_.PushButton1->click();
    settle();
    return form_.listView1().rowCount() == 1 && form_.listView2().rowCount() == 1;
  }

  WindowRun compare(bool profile) {
    clearResults();  // the core's run starts from an empty list too
    WindowRun run;
    if (profile) application_.startProfiling();
    Clock::time_point start;
    run.timing = timed([&] {
      recorder_.start();
      start = recorder_.begin();
      watch_.reset();
      form_.PushButton5->click();
      // Back in the loop: the view lays out the last rows and paints them.
      returnToLoopUntilPainted();
      recorder_.stop();
    });
    application_.stopProfiling();
    const auto [gap, at] = recorder_.longestGap();
    run.longestGap = gap;
    run.gapAtMs = milliseconds(at - start);
    run.gapPhase = watch_.phaseAt(at);
    run.turns = recorder_.turns();
    run.gapsOverTarget = recorder_.gapsOver(std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(kGapTargetMs)));
    run.batches = watch_.batches;
    return run;
  }

  // The large list appended in one go: what it costs the view to learn of the rows and show
  // them, one stretch with no turn of the loop.
  void fillList(std::uint32_t rows, const std::string& root) {
    clearResults();
    application_.startProfiling();
    const auto start = Clock::now();
    for (std::uint32_t row = 0; row < rows; ++row) appendRow(row, root);
    form_.listView3().setCheckedRange(0, rows - 1, true);
    const auto appended = Clock::now();
    showNewRows();
    const auto shown = Clock::now();
    application_.stopProfiling();
    if (form_.model(2).rowCount() != int(rows)) {
      faults.push_back("the view did not learn of every row of the large list");
    }
    std::printf("list_rows: %" PRIu32 "\n", rows);
    std::printf("fill_1m_seconds: %.3f\n", milliseconds(shown - start) / 1e3);
    std::printf("fill_append_seconds: %.3f\n", milliseconds(appended - start) / 1e3);
    std::printf("fill_view_learns_ms: %.1f\n", milliseconds(shown - appended));
    application_.printCosts("fill", 4);
  }

  // Drags the scroll bar in even jumps to the bottom, pages about there, and drags it back to
  // the top; the loop turns after every move, so the view paints each position. True when
  // the longest gap meanwhile met the target.
  bool scrollList() {
    QTreeView* view = form_.ListView3();
    QScrollBar* bar = view->verticalScrollBar();
    settle();
    const int maximum = bar->maximum();
    int positions = 0;
    const auto moveTo = [&](int value) {
      bar->setValue(value);
      QCoreApplication::processEvents();
      ++positions;
    };
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    bool reachedBottom = false;
    const double seconds = observed([&] {
      for (int jump = 1; jump <= kScrollJumps; ++jump) {
        moveTo(int(std::int64_t(maximum) * jump / kScrollJumps));
      }
      reachedBottom = bar->value() == maximum;
      for (int page = 0; page < 10; ++page) {
        bar->triggerAction(page % 2 == 0 ? QAbstractSlider::SliderPageStepSub
                                         : QAbstractSlider::SliderPageStepAdd);
        QCoreApplication::processEvents();
        ++positions;
      }
      for (int jump = kScrollJumps - 1; jump >= 0; --jump) {
        moveTo(int(std::int64_t(maximum) * jump / kScrollJumps));
      }
    });
    view->viewport()->removeEventFilter(&counter);
    if (!reachedBottom) faults.push_back("the scroll bar did not reach the bottom");
    const double gapMs = milliseconds(recorder_.longestGap().first);
    std::printf("scroll_1m_seconds: %.3f\n", seconds);
    std::printf("scroll_max_gap_ms: %.1f\n", gapMs);
    std::printf("scroll_positions: %d\n", positions);
    std::printf("scroll_paints: %d\n", counter.paints);
    application_.printCosts("scroll", 3);
    return gapMs <= kGapTargetMs;
  }

  // The large list as a comparison appends it: one yield per row, which the window's host
  // turns into a pass of the event loop when its interval has passed. Stops at the deadline,
  // so a window that falls behind shows as rows not reached rather than a bench that hangs.
  // True when it finished and its longest gap met the target.
  bool fillListYielding(std::uint32_t rows, const std::string& root, double limitSeconds) {
    clearResults();
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limitSeconds));
    std::vector<std::uint32_t> rowsAtTurn;
    std::uint32_t row = 0;
    const double seconds = observed([&] {
      while (row < rows) {
        appendRow(row++, root);
        form_.host().yield();
        if (recorder_.turnsSoFar() > rowsAtTurn.size()) rowsAtTurn.push_back(row);
        if (Clock::now() > deadline) break;
      }
      if (row < rows) return;
      // As the run ends: the window learns of the last rows and returns to the loop.
      form_.listView3().setCheckedRange(0, rows - 1, true);
      showNewRows();
    });
    // Rows appended between two turns, over the first and the last turns of the fill: how
    // much work the run gets done between two passes of the loop.
    constexpr std::size_t kSample = 100;
    const bool sampled = rowsAtTurn.size() > kSample;
    const auto perTurn = [&](std::size_t from) {
      return sampled ? double(rowsAtTurn[from + kSample] - rowsAtTurn[from]) / kSample : 0.0;
    };
    const double gapMs = milliseconds(recorder_.longestGap().first);
    std::printf("yielding_fill_seconds: %.3f\n", seconds);
    std::printf("yielding_fill_rows: %" PRIu32 "\n", row);
    std::printf("yielding_fill_finished: %s\n", yesNo(row == rows));
    std::printf("yielding_fill_max_gap_ms: %.1f\n", gapMs);
    std::printf("yielding_fill_turns: %zu\n", recorder_.turns());
    std::printf("yielding_fill_rows_per_turn_first_100: %.1f\n", perTurn(0));
    std::printf("yielding_fill_rows_per_turn_last_100: %.1f\n",
                perTurn(sampled ? rowsAtTurn.size() - 1 - kSample : 0));
    application_.printCosts("yielding_fill", 3);
    return row == rows && gapMs <= kGapTargetMs;
  }

  std::vector<std::string> faults;

 private:
  // Runs work profiled, with the turns of the loop recorded; answers its seconds.
  template <class Work>
  double observed(Work&& work) {
    application_.startProfiling();
    recorder_.start();
    const auto start = recorder_.begin();
    work();
    recorder_.stop();
    application_.stopProfiling();
    return secondsSince(start);
  }

  // Rows shaped like the run's same-name rows: two paths three folders deep, the middle text
  // shared by all.
  void appendRow(std::uint32_t row, const std::string& root) {
    static const SharedText middle(" will overwrite an older");
    char newer[160];
    char older[160];
    const std::uint32_t folder = row / kFilesPerFolder;
    std::snprintf(newer, sizeof newer, "%s/left/d%u/d%u/d%u/f%08u.txt", root.c_str(),
                  folder / 10000, folder / 100 % 100, folder % 100, row);
    std::snprintf(older, sizeof older, "%s/right/d%u/d%u/d%u/f%08u.txt", root.c_str(), folder % 100,
                  folder / 100 % 100, folder / 10000, row);
    form_.listView3().appendRow(SharedText(newer), middle, SharedText(older));
  }

  void clearResults() {
    form_.listView3().clear();
    settle();
  }

  // The view learns of the rows appended since the last batch, and shows them.
  void showNewRows() {
    form_.model(2).flushPendingRows();
    returnToLoopUntilPainted();
  }

  // Turns the loop until the result list has painted: the delayed layout of new rows takes
  // one pass, the paint the next.
  void returnToLoopUntilPainted() {
    PaintCounter counter;
    form_.ListView3()->viewport()->installEventFilter(&counter);
    for (int pass = 0; pass < 4 && counter.paints == 0; ++pass) {
      QCoreApplication::processEvents();
    }
    form_.ListView3()->viewport()->removeEventFilter(&counter);
  }

  // Lets pending layouts, timers and paints run out.
  void settle() {
    for (int pass = 0; pass < 5; ++pass) {
      QCoreApplication::processEvents();
      QCoreApplication::sendPostedEvents();
    }
  }

  ProfilingApplication& application_;
  BenchServices services_;
  InMemorySettingsStore settings_;
  Form1 form_;
  RunWatch watch_;
  TurnRecorder recorder_;
};

void prepareTrees(const Options& options, const std::string& temp, const std::string& root1,
                  const std::string& root2) {
  if (!options.trees.empty() && treesComplete(temp, options.files)) {
    std::printf("trees_reused: yes\n");
    return;
  }
  makeFolder(temp);
  std::remove(markerPath(temp).c_str());
  removeTree(root1);
  removeTree(root2);
  const double seconds =
      timed([&] { generateTrees(plannedTrees(options.files), root1, root2); }).seconds;
  std::ofstream(markerPath(temp)) << options.files << "\n";
  std::printf("generate_seconds: %.1f\n", seconds);
}

// The timed runs, the core's and the window's in turn, so that a change in the machine's load
// touches them alike; then one more run through the window, profiled. True when the gap and
// the ratio met their targets.
bool compareRuns(Bench& bench, ProfilingApplication& application, const std::string& root1,
                 const std::string& root2, int runCount) {
  // Warm-up: the page cache for both trees, and Qt's first layouts and paints.
  std::size_t messages = 0;
  ResultList coreRows;
  runCore(root1, root2, coreRows, messages);
  bench.compare(false);

  Runs window;
  Runs core;
  Runs throttleOnly;
  Runs throttleAndLoop;
  WindowRun worst;
  WindowRun best;
  std::size_t yields = 0;
  bool coreRunsAgree = true;
  for (int run = 0; run < runCount; ++run) {
    {
      ResultList list;
      const CoreRun coreRun = runCore(root1, root2, list, messages);
      core.add(coreRun.timing);
      yields = coreRun.yields;
      coreRunsAgree = coreRunsAgree && sameRows(list, coreRows);
    }
    for (const auto yielding :
         {LoopHost::Yielding::kThrottleOnly, LoopHost::Yielding::kThrottleAndLoop}) {
      ResultList list;
      const Timing timing = runCore(root1, root2, list, messages, yielding).timing;
      (yielding == LoopHost::Yielding::kThrottleOnly ? throttleOnly : throttleAndLoop).add(timing);
    }
    const WindowRun windowRun = bench.compare(false);
    window.add(windowRun.timing);
    if (windowRun.longestGap > worst.longestGap) worst = windowRun;
    if (run == 0 || windowRun.timing.seconds < best.timing.seconds) best = windowRun;
  }
  const ResultList& windowRows = bench.form().listView3();
  if (!sameRows(windowRows, coreRows))
    bench.faults.push_back("the window's rows differ from the core's");
  for (std::size_t row = 0; row < windowRows.rowCount(); ++row) {
    if (windowRows.isChecked(row)) continue;
    bench.faults.push_back("unchecked rows");
    break;
  }
  if (!coreRunsAgree) bench.faults.push_back("core runs disagree");
  if (messages != 0 || bench.messages() != 0) bench.faults.push_back("messages shown");
  std::printf("rows: %zu\n", windowRows.rowCount());
  const WindowRun profiled = bench.compare(true);

  const double ratio = window.best() / core.best();
  std::printf("runs: %d\n", runCount);
  printTimes("window_runs_seconds", window.seconds);
  printTimes("core_runs_seconds", core.seconds);
  std::printf("window_seconds: %.3f\n", window.best());
  std::printf("core_seconds: %.3f\n", core.best());
  std::printf("ratio: %.3f\n", ratio);
  printTimes("window_cpu_runs_seconds", window.cpuSeconds);
  printTimes("core_cpu_runs_seconds", core.cpuSeconds);
  std::printf("cpu_ratio: %.3f\n", window.bestCpu() / core.bestCpu());
  std::printf("max_gap_ms: %.1f\n", milliseconds(worst.longestGap));
  std::printf("max_gap_phase: %s\n", worst.gapPhase);
  std::printf("max_gap_at_ms: %.1f\n", worst.gapAtMs);
  std::printf("gaps_over_target: %zu\n", worst.gapsOverTarget);
  std::printf("turns: %zu\n", best.turns);
  std::printf("row_batches: %zu\n", best.batches);
  std::printf("yields: %zu\n", yields);
  printTimes("throttle_only_runs_seconds", throttleOnly.seconds);
  printTimes("throttle_and_loop_runs_seconds", throttleAndLoop.seconds);
  std::printf("throttle_only_ratio: %.3f\n", throttleOnly.best() / core.best());
  std::printf("throttle_and_loop_ratio: %.3f\n", throttleAndLoop.best() / core.best());
  std::printf("profiled_run_seconds: %.3f\n", profiled.timing.seconds);
  application.printCosts("run", 6);
  std::fflush(stdout);
  const bool gapMet = milliseconds(worst.longestGap) <= kGapTargetMs;
  std::printf("max_gap_target_met: %s\n", yesNo(gapMet));
  std::printf("ratio_target_met: %s\n", yesNo(ratio <= kRatioTarget));
  return gapMet && ratio <= kRatioTarget;
}

int benchMain(ProfilingApplication& application, const Options& options) {
  const std::string temp = options.trees.empty() ? temporaryFolder() : options.trees;
  const std::string root1 = temp + "/left/";
  const std::string root2 = temp + "/right/";
  std::printf("files_per_side: %" PRIu32 "\n", options.files);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::printf("trees: %s\n", temp.c_str());
  std::fflush(stdout);
  prepareTrees(options, temp, root1, root2);
  std::fflush(stdout);

  // The program folder holds no skin and no pointer file: the design look, as on a plain
  // installation without them.
  const std::string programFolder = temporaryFolder();
  Bench bench(application, programFolder);
  if (!bench.chooseFolders(root1.substr(0, root1.size() - 1), root2.substr(0, root2.size() - 1))) {
    fail("the folder lists were not filled");
  }
  const bool runsMet = compareRuns(bench, application, root1, root2, options.runs);
  bench.fillList(options.listRows, temp);
  std::fflush(stdout);
  const bool scrollMet = bench.scrollList();
  std::fflush(stdout);
  const bool fillMet = bench.fillListYielding(options.listRows, temp, options.fillLimitSeconds);
  std::printf("scroll_gap_target_met: %s\n", yesNo(scrollMet));
  std::printf("yielding_fill_target_met: %s\n", yesNo(fillMet));
  std::printf("targets_met: %s\n", yesNo(runsMet && scrollMet && fillMet));
  printCheck(bench.faults);

  rmdir(programFolder.c_str());
  if (!options.trees.empty()) {
    std::printf("kept: %s\n", temp.c_str());
  } else if (options.keep) {
    std::printf("kept: %s (reuse with --trees %s)\n", temp.c_str(), temp.c_str());
  } else {
    removeTree(temp);
  }
  return bench.faults.empty() ? 0 : 1;
}

void parseOptions(Options& options, int argc, char** argv) {
  CLI::App app(
      "Compares two synthetic folder trees (100 files per folder) through a real Form1,\n"
      "offscreen unless QT_QPA_PLATFORM is set, and through the core alone, best of --runs\n"
      "on a warm cache. Then shows a result list of --rows rows: appended in one go and\n"
      "shown, scrolled to the bottom and back with its scroll bar, and appended once more as\n"
      "a comparison appends rows, one yield per row.\n"
      "Prints key: value lines. The figures: max_gap_ms, the longest gap between two turns of\n"
      "the event loop during a run (target <= 50); ratio, the run through the window against\n"
      "the core's run (target <= 1.15); scroll_max_gap_ms and yielding_fill_max_gap_ms for\n"
      "the large list (same bound as the run's gap). The *_event lines tell where the window's\n"
      "time went. Exit status 1 when the window's rows differ from the core's.\n",
      "plovane-window-bench");
  addCount(app, "--files", options.files, 10'000'000u, "files per side");
  addCount(app, "--rows", options.listRows, 50'000'000u, "rows of the large result list");
  addCount(app, "--runs", options.runs, 100, "timed runs of each kind");
  addCount(app, "--fill-limit", options.fillLimitSeconds, 3600.0,
           "stops the yielding fill after this many seconds");
  auto* trees = app.add_option("--trees", options.trees,
                               "generates the trees in this folder and keeps them; a later run\n"
                               "with the same --files reuses them");
  app.add_flag("--keep", options.keep, "keeps the trees generated in a temporary folder")
      ->excludes(trees);
  parseCommandLine(app, argc, argv);
  while (options.trees.size() > 1 && options.trees.back() == '/') options.trees.pop_back();
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::setProgramName("plovane-window-bench");
  plovane::bench::Options options;
  plovane::bench::parseOptions(options, argc, argv);
  // A benchmark needs no screen: the offscreen platform paints into memory all the same.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  plovane::bench::ProfilingApplication application(argc, argv);
  return plovane::bench::benchMain(application, options);
}
