// plovane-spreadsheet-bench: the spreadsheet export of a large result list into an .xlsx file
// written by the Linux backend, with a host that yields as the window's does, turning a Qt
// event loop (see --help). Each size runs in a process of its own, so that one size's peak
// cannot hide the other's.

#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "bench_support.h"
#include "common/result_list.h"
#include "export/posix/xlsx_spreadsheet.h"
#include "export_rows.h"
#include "form/spreadsheet_export.h"
#include "loop_host.h"
#include "peak_memory.h"
#include "turn_recorder.h"

namespace plovane::bench {
namespace {

constexpr double kPeakRatioTarget = 1.2;
constexpr double kGapTargetMs = 50.0;

// One size, in a fresh process: prints its figures for the parent.
int exportRows(std::uint64_t rows, const std::string& folder, int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ResultList list;
  const double before = statusKiB("VmRSS") / 1024.0;
  fillResults(list, rows);
  const double withList = statusKiB("VmRSS") / 1024.0;
  if (!resetPeakResident()) die("cannot reset the peak resident size");

  const std::string file = folder + "/results-" + std::to_string(rows) + ".xlsx";
  XlsxFileSpreadsheets spreadsheets(file);
  LoopHost host;
  TurnRecorder recorder;
  recorder.start();
  const double seconds = timed([&] { saveResultsAsExcelFile(list, host, spreadsheets); });
  recorder.stop();

  if (access(file.c_str(), F_OK) != 0) die("no workbook at " + file);
  std::printf("list_mb: %.1f\n", withList - before);
  std::printf("peak_mb: %.1f\n", statusKiB("VmHWM") / 1024.0);
  std::printf("seconds: %.3f\n", seconds);
  std::printf("gap_ms: %.1f\n", recorder.longestGapMs());
  std::printf("errors: %zu\n", host.errorReports() + host.messages());
  return 0;
}

// Starts this program afresh for one size, so that its peak holds nothing of this process.
Figures measure(std::uint64_t rows, const std::string& folder) {
  const std::string count = std::to_string(rows);
  const Figures figures = figuresFromChild([&] {
    execl("/proc/self/exe", "plovane-spreadsheet-bench", "--child", count.c_str(), folder.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  });
  if (figures.empty()) fail("the run of " + count + " rows failed");
  return figures;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  using namespace plovane::bench;
  std::uint64_t rows = 1'000'000;
  std::uint64_t small = 10'000;
  CLI::App app(
      "Exports a result list of --rows rows into an .xlsx workbook and prints key: value\n"
      "lines: spreadsheet_seconds, the export's time; spreadsheet_longest_gap_ms, the longest\n"
      "gap between two turns of the event loop meanwhile (target <= 50);\n"
      "spreadsheet_peak_ratio, the export's peak memory less the list's against the peak of\n"
      "the export of --small rows: the workbook is written row by row, so it stays near 1\n"
      "(target <= 1.2).\n",
      "plovane-spreadsheet-bench");
  const std::uint64_t limit = plovane::kSheetRowLimit * 4;
  addCount(app, "--rows", rows, limit, "rows of the large list");
  addCount(app, "--small", small, limit, "rows of the small list");
  std::pair<std::uint64_t, std::string> child;  // a run of one size: rows and folder
  auto* childOption = app.add_option("--child", child)->group("");
  parseCommandLine(app, argc, argv);
  if (childOption->count() > 0) return exportRows(child.first, child.second, argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  const std::string folder = temporaryFolder();
  const Figures smallRun = measure(small, folder);
  const Figures largeRun = measure(rows, folder);
  removeTree(folder);

  const double ratio = (largeRun.at("peak_mb") - largeRun.at("list_mb")) / smallRun.at("peak_mb");
  std::printf("spreadsheet_rows: %llu\n", static_cast<unsigned long long>(rows));
  std::printf("spreadsheet_seconds: %.3f\n", largeRun.at("seconds"));
  std::printf("spreadsheet_list_mb: %.1f\n", largeRun.at("list_mb"));
  std::printf("spreadsheet_peak_mb: %.1f\n", largeRun.at("peak_mb"));
  std::printf("spreadsheet_small_peak_mb: %.1f\n", smallRun.at("peak_mb"));
  std::printf("spreadsheet_peak_ratio: %.3f\n", ratio);
  std::printf("spreadsheet_peak_ratio_ok: %s\n", yesNo(ratio <= kPeakRatioTarget));
  std::printf("spreadsheet_longest_gap_ms: %.1f\n", largeRun.at("gap_ms"));
  std::printf("spreadsheet_gap_ok: %s\n", yesNo(largeRun.at("gap_ms") <= kGapTargetMs));
  std::printf("spreadsheet_errors: %.0f\n", largeRun.at("errors") + smallRun.at("errors"));
  return 0;
}
