// plovane-window-bench: how the window holds up under a large comparison. Two synthetic
// folder trees are compared through a real Form1 (offscreen unless QT_QPA_PLATFORM names a
// platform), clicking its real buttons, and the bench reports:
//   - the longest gap between two turns of the event loop while the run is in progress;
//   - the run through the window against the core's run of the same trees with no window
//     (ratio): what yields, list updates and painting cost. Two runs in between, the core
//     with the host's throttle and then with real turns of the loop, tell those apart;
//   - a result list of a million rows: appended in one go and shown, scrolled to the bottom
//     and back with its scroll bar, and appended again as a run appends rows, one yield a row.
// Seconds depend on the machine and are printed only to make the gap and the ratio readable.
//
// The trees are plovane-bench's synthetic trees (100 files a folder, three levels deep, the
// same mix of one-side and same-name files). The window's rows are checked against the core's.

#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaEnum>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "common/failure.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/shared_text.h"
#include "console_host.h"
#include "export/clipboard.h"
#include "export/save_file_dialog.h"
#include "export/spreadsheet_application.h"
#include "form/folder_chooser.h"
#include "form/form_setup.h"
#include "platform/file_system.h"
#include "platform/list_memory.h"
#include "synthetic_trees.h"
#include "turn_recorder.h"
#include "window/form1.h"
#include "window/message_boxes.h"
#include "window/yield_throttle.h"

namespace plovane::bench {
namespace {

constexpr double kGapTargetMs = 50.0;
constexpr double kRatioTarget = 1.15;
constexpr int kScrollJumps = 200;  // scroll bar positions each way, top to bottom and back

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

// The core's run without the window, as plovane-bench times it, and two steps between it
// and the window that tell the window's extra time apart: the host's throttle alone, then
// the throttle with real turns of the event loop (the window is shown, but the rows go to a
// list no view shows).

enum class Yielding { kNothing, kThrottleOnly, kThrottleAndLoop };

class BenchHost final : public ConsoleHost {
 public:
  explicit BenchHost(Yielding yielding) : yielding_(yielding) {}

  void yield() override {
    ++yields;
    if (yielding_ == Yielding::kNothing || !throttle_.due()) return;
    if (yielding_ == Yielding::kThrottleAndLoop) QCoreApplication::processEvents();
    throttle_.restart();
  }

  std::size_t yields = 0;

 private:
  Yielding yielding_;
  YieldThrottle throttle_;
};

struct CoreRun {
  double seconds = 0;
  double cpuSeconds = 0;
  std::size_t yields = 0;
};

CoreRun runCore(const std::string& folder1, const std::string& folder2, ResultList& listView3,
                std::size_t& messages, Yielding yielding = Yielding::kNothing) {
  BenchHost host(yielding);
  const RunTimes times = timeComparison(folder1, folder2, listView3, host);
  CoreRun outcome{times.seconds, times.cpuSeconds, host.yields};
  messages += host.messages() + host.errorReports();
  return outcome;
}

// Order-sensitive: the window and the core list the same trees in the same order.
struct RowsDigest {
  std::size_t rows = 0;
  std::size_t unchecked = 0;
  std::uint64_t hash = 14695981039346656037ULL;
  friend bool operator==(const RowsDigest&, const RowsDigest&) = default;
};

RowsDigest digestOf(const ResultList& list) {
  RowsDigest digest;
  digest.rows = list.rowCount();
  const auto add = [&](std::string_view text) {
    for (const char c : text)
      digest.hash = (digest.hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    digest.hash = (digest.hash ^ 0xffU) * 1099511628211ULL;
  };
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < 3; ++column) add(list.cell(row, column).view());
    if (!list.isChecked(row)) ++digest.unchecked;
  }
  return digest;
}

// ---------------------------------------------------------------------------------------
// What Form1 reaches outside itself, none of it modal.

class CountingMessageBoxes final : public MessageBoxes {
 public:
  void plain(QWidget*, const QString& title, const QString& text) override {
    ++shown;
    std::fprintf(stderr, "message [%s]: %s\n", qPrintable(title), qPrintable(text));
  }
  void exclamation(QWidget*, const QString& title, const QString& text) override {
    ++shown;
    std::fprintf(stderr, "error report [%s]: %s\n", qPrintable(title), qPrintable(text));
  }
  std::size_t shown = 0;
};

// Answers each browse with the next folder of its queue, then with a cancel.
class QueuedFolderBrowser final : public FolderBrowser {
 public:
  std::string browseForFolder(const std::string&, const std::string&) override {
    if (answers.empty()) return std::string();
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::string> answers;
};

// Never the one draw in a hundred that opens the home page.
class NeverSeven final : public RandomSource {
 public:
  double draw() override { return 0.0; }
};

class NoBrowser final : public UrlLauncher {
 public:
  void open(const std::string&) override {}
};

class CancelledSaveDialog final : public SaveFileDialog {
 public:
  void setFlags(long) override {}
  void setTitle(const std::string&) override {}
  void setFilter(const std::string&) override {}
  void showSave() override {}
  std::string fileName() const override { return std::string(); }
};

class NoClipboard final : public Clipboard {
 public:
  bool clear() override { return true; }
  bool setText(std::string&&, int) override { return true; }
};

class NoSpreadsheets final : public SpreadsheetApplications {
 public:
  std::unique_ptr<SpreadsheetApplication> create(Host&) override {
    throw Failure("No spreadsheet program in the benchmark", failure_code::kUnknown);
  }
};

// ---------------------------------------------------------------------------------------
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

  bool notify(QObject* receiver, QEvent* event) override {
    if (!profiling_ || depth_ > 0) {
      ++depth_;
      const bool result = QApplication::notify(receiver, event);
      --depth_;
      return result;
    }
    // Read before delivery: the receiver may be gone afterwards.
    const std::pair<int, const char*> key{event->type(), receiver->metaObject()->className()};
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
  const std::map<std::pair<int, const char*>, EventCost>& costs() const { return costs_; }

 private:
  bool profiling_ = false;
  int depth_ = 0;
  std::map<std::pair<int, const char*>, EventCost> costs_;
};

std::string eventName(int type) {
  const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
  return name ? name : std::to_string(type);
}

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

void printEventCosts(const char* prefix, const ProfilingApplication& application, int shown) {
  std::vector<std::pair<std::pair<int, const char*>, EventCost>> costs(application.costs().begin(),
                                                                       application.costs().end());
  std::sort(costs.begin(), costs.end(),
            [](const auto& x, const auto& y) { return x.second.total > y.second.total; });
  Clock::duration all{};
  for (const auto& [key, cost] : costs) all += cost.total;
  std::printf("%s_events_ms: %.1f\n", prefix, milliseconds(all));
  for (int i = 0; i < shown && i < int(costs.size()); ++i) {
    const auto& [key, cost] = costs[static_cast<std::size_t>(i)];
    std::printf("%s_event: %s %s count %" PRIu64 " total_ms %.1f longest_ms %.1f\n", prefix,
                eventName(key.first).c_str(), key.second, cost.count, milliseconds(cost.total),
                milliseconds(cost.longest));
  }
}

// ---------------------------------------------------------------------------------------

struct Options {
  std::uint32_t files = 200'000;
  std::uint32_t listRows = 1'000'000;
  int runs = 5;
  double fillLimitSeconds = 60;
  bool keep = false;
  std::string trees;
};

void printHelp() {
  std::printf(
      "usage: plovane-window-bench [--files N] [--runs N] [--rows N] [--fill-limit S]\n"
      "                            [--trees DIR | --keep]\n"
      "\n"
      "Compares two synthetic folder trees (100 files per folder) through a real Form1,\n"
      "offscreen unless QT_QPA_PLATFORM is set, and through the core alone, best of --runs\n"
      "(default 5) on a warm cache. Then shows a result list of --rows rows: appended in one\n"
      "go and shown, scrolled to the bottom and back with its scroll bar, and appended once\n"
      "more as a comparison appends rows, one yield per row.\n"
      "\n"
      "Prints key: value lines. The figures: max_gap_ms, the longest gap between two turns of\n"
      "the event loop during a run (target <= 50); ratio, the run through the window against\n"
      "the core's run (target <= 1.15); scroll_max_gap_ms and yielding_fill_max_gap_ms for\n"
      "the large list (same bound as the run's gap). The *_event lines tell where the window's\n"
      "time went. Exit status 1 when the window's rows differ from the core's.\n"
      "\n"
      "  --files N       files per side (default 200000)\n"
      "  --rows N        rows of the large result list (default 1000000)\n"
      "  --fill-limit S  stops the yielding fill after S seconds (default 60)\n"
      "  --trees DIR     generates the trees in DIR and keeps them; a later run with the same\n"
      "                  --files reuses them\n"
      "  --keep          keeps the trees generated in a temporary folder\n");
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      printHelp();
      std::exit(0);
    } else if (arg == "--files" && i + 1 < argc) {
      if (!parseCount(argv[++i], 10'000'000, options.files)) return {};
    } else if (arg == "--rows" && i + 1 < argc) {
      if (!parseCount(argv[++i], 50'000'000, options.listRows)) return {};
    } else if (arg == "--runs" && i + 1 < argc) {
      if (!parseCount(argv[++i], 100, options.runs)) return {};
    } else if (arg == "--fill-limit" && i + 1 < argc) {
      if (!parseCount(argv[++i], 3600, options.fillLimitSeconds)) return {};
    } else if (arg == "--trees" && i + 1 < argc) {
      options.trees = argv[++i];
      while (options.trees.size() > 1 && options.trees.back() == '/') options.trees.pop_back();
    } else if (arg == "--keep") {
      options.keep = true;
    } else {
      return {};
    }
  }
  return options;
}

// ---------------------------------------------------------------------------------------

struct WindowRun {
  double seconds = 0;
  double cpuSeconds = 0;
  Clock::duration longestGap{};
  const char* gapPhase = "";
  double gapAtMs = 0;
  std::size_t turns = 0;
  std::size_t gapsOverTarget = 0;
  std::size_t batches = 0;
};

class Bench {
 public:
  Bench(ProfilingApplication& application, std::string programFolder)
      : application_(application),
        form_({boxes_, browser_, settings_, random_, launcher_, saveDialog_, clipboard_,
               spreadsheets_, platform::nativeFileSystem(), QString::fromStdString(programFolder),
               [] {}}),
        watch_(form_.listView3(), form_.model(2)) {
    form_.Form_Load();
    form_.show();
    settle();
  }

  Form1& form() { return form_; }
  std::size_t messages() const { return boxes_.shown; }

  // The two folders, chosen through the window's own buttons.
  bool chooseFolders(const std::string& folder1, const std::string& folder2) {
    browser_.answers = {folder1, folder2};
    form_.PushButton3->click();
    form_.PushButton1->click();
    settle();
    return form_.listView1().rowCount() == 1 && form_.listView2().rowCount() == 1;
  }

  WindowRun compare(bool profile) {
    form_.listView3().clear();  // the core's run starts from an empty list too
    settle();
    WindowRun run;
    if (profile) application_.startProfiling();
    const double cpuStart = threadCpuSeconds();
    recorder_.start();
    const auto start = recorder_.begin();
    watch_.reset();
    form_.PushButton5->click();
    // Back in the loop: the view lays out the last rows and paints them.
    returnToLoopUntilPainted();
    recorder_.stop();
    run.seconds = secondsSince(start);
    run.cpuSeconds = threadCpuSeconds() - cpuStart;
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

  // The large list, appended in one go: what it costs the view to learn of a million rows
  // and show them, one stretch with no turn of the loop.
  struct ListFill {
    double seconds = 0;
    double appendSeconds = 0;
    Clock::duration viewLearns{};
  };

  ListFill fillList(std::uint32_t rows, const std::string& root) {
    clearResults();
    ListFill fill;
    application_.startProfiling();
    const auto start = Clock::now();
    for (std::uint32_t row = 0; row < rows; ++row) appendRow(row, root);
    form_.listView3().setCheckedRange(0, rows - 1, true);
    const auto appended = Clock::now();
    form_.model(2).flushPendingRows();
    returnToLoopUntilPainted();
    const auto shown = Clock::now();
    application_.stopProfiling();
    fill.seconds = std::chrono::duration<double>(shown - start).count();
    fill.appendSeconds = std::chrono::duration<double>(appended - start).count();
    fill.viewLearns = shown - appended;
    return fill;
  }

  // The large list as a comparison appends it: one yield per row, which the window's host
  // turns into a pass of the event loop when its interval has passed. Stops at the deadline,
  // so a window that falls behind shows as rows not reached rather than a bench that hangs.
  struct YieldingFill {
    double seconds = 0;
    std::uint32_t rowsReached = 0;
    bool finished = false;
    Clock::duration longestGap{};
    std::size_t turns = 0;
    // Rows appended between two turns, over the first and the last turns of the fill: how
    // much work the run gets done between two passes of the loop.
    double rowsPerTurnFirst = 0;
    double rowsPerTurnLast = 0;
  };

  YieldingFill fillListYielding(std::uint32_t rows, const std::string& root, double limitSeconds) {
    clearResults();
    YieldingFill fill;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limitSeconds));
    application_.startProfiling();
    recorder_.start();
    const auto start = recorder_.begin();
    std::vector<std::uint32_t> rowsAtTurn;
    std::uint32_t row = 0;
    while (row < rows) {
      appendRow(row++, root);
      form_.host().yield();
      if (recorder_.turnsSoFar() > rowsAtTurn.size()) rowsAtTurn.push_back(row);
      if (Clock::now() > deadline) break;
    }
    constexpr std::size_t kSample = 100;
    if (rowsAtTurn.size() > kSample) {
      fill.rowsPerTurnFirst = double(rowsAtTurn[kSample] - rowsAtTurn[0]) / kSample;
      fill.rowsPerTurnLast =
          double(rowsAtTurn.back() - rowsAtTurn[rowsAtTurn.size() - 1 - kSample]) / kSample;
    }
    fill.finished = row == rows;
    fill.rowsReached = row;
    if (fill.finished) {
      // As the run ends: the window learns of the last rows and returns to the loop.
      form_.listView3().setCheckedRange(0, rows - 1, true);
      form_.model(2).flushPendingRows();
      returnToLoopUntilPainted();
    }
    recorder_.stop();
    application_.stopProfiling();
    fill.seconds = secondsSince(start);
    fill.longestGap = recorder_.longestGap().first;
    fill.turns = recorder_.turns();
    return fill;
  }

  struct Scroll {
    double seconds = 0;
    Clock::duration longestGap{};
    int positions = 0;
    int paints = 0;
    bool reachedBottom = false;
  };

  // Drags the scroll bar in even jumps to the bottom, pages about there, and drags it back to
  // the top; the loop turns after every move, so the view paints each position.
  Scroll scrollList() {
    QTreeView* view = form_.ListView3();
    QScrollBar* bar = view->verticalScrollBar();
    settle();
    const int maximum = bar->maximum();
    Scroll scroll;
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    application_.startProfiling();
    recorder_.start();
    const auto start = recorder_.begin();
    const auto moveTo = [&](int value) {
      bar->setValue(value);
      QCoreApplication::processEvents();
      ++scroll.positions;
    };
    for (int jump = 1; jump <= kScrollJumps; ++jump) {
      moveTo(int(std::int64_t(maximum) * jump / kScrollJumps));
    }
    scroll.reachedBottom = bar->value() == maximum;
    for (int page = 0; page < 10; ++page) {
      bar->triggerAction(page % 2 == 0 ? QAbstractSlider::SliderPageStepSub
                                       : QAbstractSlider::SliderPageStepAdd);
      QCoreApplication::processEvents();
      ++scroll.positions;
    }
    for (int jump = kScrollJumps - 1; jump >= 0; --jump) {
      moveTo(int(std::int64_t(maximum) * jump / kScrollJumps));
    }
    recorder_.stop();
    application_.stopProfiling();
    view->viewport()->removeEventFilter(&counter);
    scroll.seconds = secondsSince(start);
    scroll.longestGap = recorder_.longestGap().first;
    scroll.paints = counter.paints;
    return scroll;
  }

 private:
  class PaintCounter final : public QObject {
   public:
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
    int paints = 0;
  };

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
  CountingMessageBoxes boxes_;
  QueuedFolderBrowser browser_;
  InMemorySettingsStore settings_;
  NeverSeven random_;
  NoBrowser launcher_;
  CancelledSaveDialog saveDialog_;
  NoClipboard clipboard_;
  NoSpreadsheets spreadsheets_;
  Form1 form_;
  RunWatch watch_;
  TurnRecorder recorder_;
};

int benchMain(ProfilingApplication& application, const Options& options) {
  const std::string temp = options.trees.empty() ? temporaryFolder() : options.trees;
  const std::string root1 = temp + "/left/";
  const std::string root2 = temp + "/right/";
  std::printf("files_per_side: %" PRIu32 "\n", options.files);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::printf("trees: %s\n", temp.c_str());
  std::fflush(stdout);

  if (!options.trees.empty() && treesComplete(temp, options.files)) {
    std::printf("trees_reused: yes\n");
  } else {
    makeFolder(temp);
    std::remove(markerPath(temp).c_str());
    removeTree(root1);
    removeTree(root2);
    const auto start = Clock::now();
    const Trees trees = plannedTrees(options.files);
    generateSide(trees, trees.left, root1);
    generateSide(trees, trees.right, root2);
    std::ofstream(markerPath(temp)) << options.files << "\n";
    std::printf("generate_seconds: %.1f\n", secondsSince(start));
  }
  std::fflush(stdout);

  // The program folder holds no skin and no pointer file: the design look, as on a plain
  // installation without them.
  const std::string programFolder = temporaryFolder();
  Bench bench(application, programFolder);
  if (!bench.chooseFolders(root1.substr(0, root1.size() - 1), root2.substr(0, root2.size() - 1))) {
    std::fprintf(stderr, "plovane-window-bench: the folder lists were not filled\n");
    return 2;
  }

  // Warm-up: the page cache for both trees, and Qt's first layouts and paints.
  std::size_t coreMessages = 0;
  {
    ResultList warm;
    runCore(root1, root2, warm, coreMessages);
  }
  bench.compare(false);

  std::vector<double> windowTimes;
  std::vector<double> coreTimes;
  std::vector<double> windowCpuTimes;
  std::vector<double> coreCpuTimes;
  std::vector<double> throttleTimes;
  std::vector<double> loopTimes;
  WindowRun worst;
  WindowRun best;
  best.seconds = std::numeric_limits<double>::infinity();
  RowsDigest coreRows;
  std::size_t coreYields = 0;
  bool coreRunsAgree = true;
  for (int run = 0; run < options.runs; ++run) {
    auto list = std::make_unique<ResultList>();
    const CoreRun core = runCore(root1, root2, *list, coreMessages);
    coreTimes.push_back(core.seconds);
    coreCpuTimes.push_back(core.cpuSeconds);
    coreYields = core.yields;
    const RowsDigest digest = digestOf(*list);
    if (run == 0) {
      coreRows = digest;
    } else if (!(digest == coreRows)) {
      coreRunsAgree = false;
    }
    list = std::make_unique<ResultList>();
    throttleTimes.push_back(
        runCore(root1, root2, *list, coreMessages, Yielding::kThrottleOnly).seconds);
    list = std::make_unique<ResultList>();
    loopTimes.push_back(
        runCore(root1, root2, *list, coreMessages, Yielding::kThrottleAndLoop).seconds);
    list.reset();
    const WindowRun window = bench.compare(false);
    windowTimes.push_back(window.seconds);
    windowCpuTimes.push_back(window.cpuSeconds);
    if (window.longestGap > worst.longestGap) worst = window;
    if (window.seconds < best.seconds) best = window;
  }
  const RowsDigest windowRows = digestOf(bench.form().listView3());
  // One more run, untimed, for where the window's time goes.
  const WindowRun profiled = bench.compare(true);

  const double windowSeconds = *std::min_element(windowTimes.begin(), windowTimes.end());
  const double coreSeconds = *std::min_element(coreTimes.begin(), coreTimes.end());
  const double ratio = windowSeconds / coreSeconds;
  const double cpuRatio = *std::min_element(windowCpuTimes.begin(), windowCpuTimes.end()) /
                          *std::min_element(coreCpuTimes.begin(), coreCpuTimes.end());
  const double maxGapMs = milliseconds(worst.longestGap);
  std::printf("rows: %zu\n", windowRows.rows);
  std::printf("runs: %d\n", options.runs);
  printTimes("window_runs_seconds", windowTimes);
  printTimes("core_runs_seconds", coreTimes);
  std::printf("window_seconds: %.3f\n", windowSeconds);
  std::printf("core_seconds: %.3f\n", coreSeconds);
  std::printf("ratio: %.3f\n", ratio);
  printTimes("window_cpu_runs_seconds", windowCpuTimes);
  printTimes("core_cpu_runs_seconds", coreCpuTimes);
  std::printf("cpu_ratio: %.3f\n", cpuRatio);
  std::printf("max_gap_ms: %.1f\n", maxGapMs);
  std::printf("max_gap_phase: %s\n", worst.gapPhase);
  std::printf("max_gap_at_ms: %.1f\n", worst.gapAtMs);
  std::printf("gaps_over_target: %zu\n", worst.gapsOverTarget);
  std::printf("turns: %zu\n", best.turns);
  std::printf("row_batches: %zu\n", best.batches);
  std::printf("yields: %zu\n", coreYields);
  printTimes("throttle_only_runs_seconds", throttleTimes);
  printTimes("throttle_and_loop_runs_seconds", loopTimes);
  const double throttleSeconds = *std::min_element(throttleTimes.begin(), throttleTimes.end());
  const double loopSeconds = *std::min_element(loopTimes.begin(), loopTimes.end());
  std::printf("throttle_only_ratio: %.3f\n", throttleSeconds / coreSeconds);
  std::printf("throttle_and_loop_ratio: %.3f\n", loopSeconds / coreSeconds);
  std::printf("profiled_run_seconds: %.3f\n", profiled.seconds);
  printEventCosts("run", application, 6);
  std::fflush(stdout);

  std::vector<std::string> faults;
  if (!(windowRows == coreRows)) faults.push_back("the window's rows differ from the core's");
  if (windowRows.unchecked != 0) faults.push_back("unchecked rows");
  if (!coreRunsAgree) faults.push_back("core runs disagree");
  if (coreMessages != 0 || bench.messages() != 0) faults.push_back("messages shown");

  const Bench::ListFill fill = bench.fillList(options.listRows, temp);
  if (bench.form().model(2).rowCount() != int(options.listRows)) {
    faults.push_back("the view did not learn of every row of the large list");
  }
  std::printf("list_rows: %" PRIu32 "\n", options.listRows);
  std::printf("fill_1m_seconds: %.3f\n", fill.seconds);
  std::printf("fill_append_seconds: %.3f\n", fill.appendSeconds);
  std::printf("fill_view_learns_ms: %.1f\n", milliseconds(fill.viewLearns));
  printEventCosts("fill", application, 4);
  std::fflush(stdout);

  const Bench::Scroll scroll = bench.scrollList();
  if (!scroll.reachedBottom) faults.push_back("the scroll bar did not reach the bottom");
  std::printf("scroll_1m_seconds: %.3f\n", scroll.seconds);
  std::printf("scroll_max_gap_ms: %.1f\n", milliseconds(scroll.longestGap));
  std::printf("scroll_positions: %d\n", scroll.positions);
  std::printf("scroll_paints: %d\n", scroll.paints);
  printEventCosts("scroll", application, 3);
  std::fflush(stdout);

  const Bench::YieldingFill yielding =
      bench.fillListYielding(options.listRows, temp, options.fillLimitSeconds);
  std::printf("yielding_fill_seconds: %.3f\n", yielding.seconds);
  std::printf("yielding_fill_rows: %" PRIu32 "\n", yielding.rowsReached);
  std::printf("yielding_fill_finished: %s\n", yesNo(yielding.finished));
  std::printf("yielding_fill_max_gap_ms: %.1f\n", milliseconds(yielding.longestGap));
  std::printf("yielding_fill_turns: %zu\n", yielding.turns);
  std::printf("yielding_fill_rows_per_turn_first_100: %.1f\n", yielding.rowsPerTurnFirst);
  std::printf("yielding_fill_rows_per_turn_last_100: %.1f\n", yielding.rowsPerTurnLast);
  printEventCosts("yielding_fill", application, 3);

  const double scrollGapMs = milliseconds(scroll.longestGap);
  const double fillGapMs = milliseconds(yielding.longestGap);
  const bool gapMet = maxGapMs <= kGapTargetMs;
  const bool ratioMet = ratio <= kRatioTarget;
  const bool scrollGapMet = scrollGapMs <= kGapTargetMs;
  const bool fillMet = yielding.finished && fillGapMs <= kGapTargetMs;
  std::printf("max_gap_target_met: %s\n", yesNo(gapMet));
  std::printf("ratio_target_met: %s\n", yesNo(ratioMet));
  std::printf("scroll_gap_target_met: %s\n", yesNo(scrollGapMet));
  std::printf("yielding_fill_target_met: %s\n", yesNo(fillMet));
  std::printf("targets_met: %s\n", yesNo(gapMet && ratioMet && scrollGapMet && fillMet));
  if (faults.empty()) {
    std::printf("check: ok\n");
  } else {
    std::printf("check: MISMATCH\n");
    for (const auto& fault : faults) std::printf("check_fault: %s\n", fault.c_str());
  }
  std::fflush(stdout);

  rmdir(programFolder.c_str());
  if (!options.trees.empty()) {
    std::printf("kept: %s\n", temp.c_str());
  } else if (options.keep) {
    std::printf("kept: %s (reuse with --trees %s)\n", temp.c_str(), temp.c_str());
  } else {
    removeTree(temp);
  }
  return faults.empty() ? 0 : 1;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::setProgramName("plovane-window-bench");
  const auto options = plovane::bench::parseOptions(argc, argv);
  if (!options) {
    plovane::bench::printHelp();
    return 2;
  }
  // A benchmark needs no screen: the offscreen platform paints into memory all the same.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  plovane::bench::ProfilingApplication application(argc, argv);
  return plovane::bench::benchMain(application, *options);
}
