// plovane-window-bench: how the window holds up under a large comparison, clicking the real
// buttons of a real Form1, and under a result list of a million rows (see --help). Seconds
// depend on the machine and are printed only to make the gaps and the ratio readable.

#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/shared_text.h"
#include "fixed_random.h"
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
};

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

class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

class Bench {
 public:
  explicit Bench(const std::string& programFolder)
      : form_({services_.messageBoxes, services_.folderBrowser, settings_, services_.random,
               services_.urlLauncher, services_.saveFileDialog, services_.clipboard,
               services_.spreadsheets, platform::nativeFileSystem(), programFolder, [] {}}) {
    form_.Form_Load();
    form_.show();
    settle();
  }

  ResultList& rows() { return form_.listView3(); }
  std::size_t messages() const {
    return services_.messageBoxes.plains.size() + services_.messageBoxes.exclamations.size();
  }
  double lastGapMs() const { return recorder_.longestGapMs(); }

  // The two folders, chosen through the window's own buttons.
  bool chooseFolders(const std::string& folder1, const std::string& folder2) {
    services_.folderBrowser.answers = {folder1, folder2};
    form_.PushButton3->click();
    form_.PushButton1->click();
    settle();
    return form_.listView1().rowCount() == 1 && form_.listView2().rowCount() == 1;
  }

  // One run through the window, up to the paint of its last rows; answers its seconds.
  double compare() {
    clearResults();  // the core's run starts from an empty list too
    return observed([&] {
      form_.PushButton5->click();
      returnToLoopUntilPainted();
    });
  }

  // Drags the scroll bar in even jumps to the bottom, pages about there, and drags it back to
  // the top; the loop turns after every move, so the view paints each position. True when
  // the longest gap meanwhile met the target.
  bool scrollList() {
    QScrollBar* bar = form_.ListView3()->verticalScrollBar();
    settle();
    const int maximum = bar->maximum();
    const auto moveTo = [&](int jump) {
      bar->setValue(int(std::int64_t(maximum) * jump / kScrollJumps));
      QCoreApplication::processEvents();
    };
    bool reachedBottom = false;
    const double seconds = observed([&] {
      for (int jump = 1; jump <= kScrollJumps; ++jump) moveTo(jump);
      reachedBottom = bar->value() == maximum;
      for (int page = 0; page < 10; ++page) {
        bar->triggerAction(page % 2 == 0 ? QAbstractSlider::SliderPageStepSub
                                         : QAbstractSlider::SliderPageStepAdd);
        QCoreApplication::processEvents();
      }
      for (int jump = kScrollJumps - 1; jump >= 0; --jump) moveTo(jump);
    });
    if (!reachedBottom) faults.push_back("the scroll bar did not reach the bottom");
    std::printf("scroll_1m_seconds: %.3f\n", seconds);
    std::printf("scroll_max_gap_ms: %.1f\n", lastGapMs());
    return lastGapMs() <= kGapTargetMs;
  }

  // The large list as a comparison appends it: one yield per row, which the window's host
  // turns into a pass of the event loop when its interval has passed. Stops yielding at the
  // deadline, so a window that falls behind shows as rows not reached rather than a bench that
  // hangs; the rest is appended in one go, for the scroll. True when it finished and its
  // longest gap met the target.
  bool fillListYielding(std::uint32_t rows, const std::string& root, double limitSeconds) {
    clearResults();
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limitSeconds));
    std::uint32_t row = 0;
    const double seconds = observed([&] {
      for (; row < rows && Clock::now() <= deadline; ++row) {
        appendRow(row, root);
        form_.host().yield();
      }
      if (row < rows) return;
      // As the run ends: the window learns of the last rows and returns to the loop.
      form_.listView3().setCheckedRange(0, rows - 1, true);
      showNewRows();
    });
    std::printf("yielding_fill_seconds: %.3f\n", seconds);
    std::printf("yielding_fill_rows: %" PRIu32 "\n", row);
    std::printf("yielding_fill_max_gap_ms: %.1f\n", lastGapMs());
    const bool met = row == rows && lastGapMs() <= kGapTargetMs;
    if (row < rows) {
      for (std::uint32_t rest = row; rest < rows; ++rest) appendRow(rest, root);
      form_.listView3().setCheckedRange(0, rows - 1, true);
      showNewRows();
    }
    if (form_.model(2).rowCount() != int(rows)) faults.push_back("the view lacks rows of the list");
    return met;
  }

  std::vector<std::string> faults;

 private:
  // Runs work with the turns of the loop recorded; answers its seconds.
  template <class Work>
  double observed(Work&& work) {
    recorder_.start();
    work();
    recorder_.stop();
    return secondsSince(recorder_.begin());
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

  BenchServices services_;
  InMemorySettingsStore settings_;
  Form1 form_;
  TurnRecorder recorder_;
};

// The timed runs, the core's and the window's in turn, so that a change in the machine's load
// touches them alike. True when the gap and the ratio met their targets.
bool compareRuns(Bench& bench, const std::string& root1, const std::string& root2, int runCount) {
  // Warm-up: the page cache for both trees, and Qt's first layouts and paints.
  ResultList coreRows;
  std::size_t messages = timeComparison(root1, root2, coreRows).messages;
  bench.compare();

  std::vector<double> window;
  std::vector<double> core;
  double maxGapMs = 0;
  bool coreRunsAgree = true;
  for (int run = 0; run < runCount; ++run) {
    ResultList list;
    const ComparisonTiming coreRun = timeComparison(root1, root2, list);
    core.push_back(coreRun.seconds);
    messages += coreRun.messages;
    coreRunsAgree = coreRunsAgree && sameRows(list, coreRows);
    window.push_back(bench.compare());
    maxGapMs = std::max(maxGapMs, bench.lastGapMs());
  }
  const ResultList& windowRows = bench.rows();
  if (!sameRows(windowRows, coreRows)) {
    bench.faults.push_back("the window's rows differ from the core's");
  }
  for (std::size_t row = 0; row < windowRows.rowCount(); ++row) {
    if (windowRows.isChecked(row)) continue;
    bench.faults.push_back("unchecked rows");
    break;
  }
  if (!coreRunsAgree) bench.faults.push_back("core runs disagree");
  if (messages != 0 || bench.messages() != 0) bench.faults.push_back("messages shown");

  const double ratio = best(window) / best(core);
  std::printf("rows: %zu\n", windowRows.rowCount());
  std::printf("window_seconds: %.3f\n", best(window));
  std::printf("core_seconds: %.3f\n", best(core));
  std::printf("ratio: %.3f\n", ratio);
  std::printf("max_gap_ms: %.1f\n", maxGapMs);
  std::printf("max_gap_target_met: %s\n", yesNo(maxGapMs <= kGapTargetMs));
  std::printf("ratio_target_met: %s\n", yesNo(ratio <= kRatioTarget));
  std::fflush(stdout);
  return maxGapMs <= kGapTargetMs && ratio <= kRatioTarget;
}

int benchMain(const Options& options) {
  const std::string temp = temporaryFolder();
  std::printf("files_per_side: %" PRIu32 "\n", options.files);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);
  const double generated =
      timed([&] { generateTrees(plannedTrees(options.files), temp + "/left/", temp + "/right/"); });
  std::printf("generate_seconds: %.1f\n", generated);

  // The program folder holds no skin and no pointer file: the design look, as on a plain
  // installation without them.
  const std::string programFolder = temporaryFolder();
  Bench bench(programFolder);
  if (!bench.chooseFolders(temp + "/left", temp + "/right"))
    fail("the folder lists were not filled");
  const bool runsMet = compareRuns(bench, temp + "/left/", temp + "/right/", options.runs);
  const bool fillMet = bench.fillListYielding(options.listRows, temp, options.fillLimitSeconds);
  const bool scrollMet = bench.scrollList();
  std::printf("list_rows: %" PRIu32 "\n", options.listRows);
  std::printf("scroll_gap_target_met: %s\n", yesNo(scrollMet));
  std::printf("yielding_fill_target_met: %s\n", yesNo(fillMet));
  std::printf("targets_met: %s\n", yesNo(runsMet && scrollMet && fillMet));
  printCheck(bench.faults);

  rmdir(programFolder.c_str());
  if (options.keep) {
    std::printf("kept: %s\n", temp.c_str());
  } else {
    removeTree(temp);
  }
  return bench.faults.empty() ? 0 : 1;
}

void parseOptions(Options& options, int argc, char** argv) {
  CLI::App app(
      "Compares two synthetic folder trees (100 files per folder) through a real Form1,\n"
      "offscreen unless QT_QPA_PLATFORM is set, and through the core alone, best of --runs\n"
      "on a warm cache. Then fills a result list of --rows rows as a comparison appends\n"
      "rows, one yield per row, and scrolls it to the bottom and back with its scroll bar.\n"
      "Prints key: value lines: ratio, the run through the window against the core's run\n"
      "(target <= 1.15); max_gap_ms, the longest gap between two turns of the event loop\n"
      "during a window run (target <= 50); scroll_max_gap_ms and yielding_fill_max_gap_ms\n"
      "for the large list (same bound). Exit status 1 when the window's rows differ from\n"
      "the core's, or another check fails.\n",
      "plovane-window-bench");
  addCount(app, "--files", options.files, 10'000'000u, "files per side");
  addCount(app, "--rows", options.listRows, 50'000'000u, "rows of the large result list");
  addCount(app, "--runs", options.runs, 100, "timed runs of each kind");
  addCount(app, "--fill-limit", options.fillLimitSeconds, 3600.0,
           "stops the yielding fill after this many seconds");
  app.add_flag("--keep", options.keep, "keeps the generated trees");
  parseCommandLine(app, argc, argv);
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  plovane::platform::prepareAllocatorForLists();
  plovane::bench::Options options;
  plovane::bench::parseOptions(options, argc, argv);
  // A benchmark needs no screen: the offscreen platform paints into memory all the same.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  return plovane::bench::benchMain(options);
}
