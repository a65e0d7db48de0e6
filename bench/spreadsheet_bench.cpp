// plovane-spreadsheet-bench: the spreadsheet export of a large result list into an .xlsx file
// written by the Linux backend, with a host that yields as the window's does, turning a Qt
// event loop. It reports, from one run:
//   spreadsheet_seconds        the export of --rows rows (1,000,000 unless told);
//   spreadsheet_longest_gap_ms the longest gap between two turns of the event loop meanwhile;
//   spreadsheet_peak_ratio     (peak memory of that export, less the list) / (peak memory of
//                              the export of --small rows, 10,000 unless told): the workbook
//                              is written row by row, so this stays near 1.
// Each size runs in a process of its own, so that one size's peak cannot hide the other's.

#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "common/shared_text.h"
#include "console_host.h"
#include "export/posix/xlsx_spreadsheet.h"
#include "export_rows.h"
#include "form/spreadsheet_export.h"
#include "turn_recorder.h"
#include "window/yield_throttle.h"

namespace plovane::bench {
namespace {

constexpr double kPeakRatioTarget = 1.2;
constexpr double kGapTargetMs = 50.0;

// A figure of /proc/self/status in megabytes, such as VmRSS or VmHWM (the peak).
double statusMegabytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0)
      return std::strtod(line.c_str() + prefix.size(), nullptr) / 1024.0;
  }
  die(std::string("no ") + key + " in /proc/self/status");
}

// From here on, the peak counts only what comes.
void resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  if (!clear.flush()) die("cannot reset the peak memory figure");
}

// One size: prints its figures for the parent.
int runChild(std::uint64_t rows, const std::string& folder, int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ResultList list;
  const double before = statusMegabytes("VmRSS");
  fillResults(list, rows);
  const double withList = statusMegabytes("VmRSS");
  resetPeak();

  const std::string file = folder + "/results-" + std::to_string(rows) + ".xlsx";
  XlsxFileSpreadsheets spreadsheets(file);
  LoopHost host;
  TurnRecorder recorder;
  recorder.start();
  const Clock::time_point start = Clock::now();
  SaveResultsAsExcelFile(list, host, spreadsheets);
  const double seconds = secondsSince(start);
  recorder.stop();

  struct stat written {};
  if (::stat(file.c_str(), &written) != 0) die("no workbook at " + file);
  std::printf("list_mb: %.1f\n", withList - before);
  std::printf("peak_mb: %.1f\n", statusMegabytes("VmHWM"));
  std::printf("seconds: %.3f\n", seconds);
  std::printf("gap_ms: %.1f\n", milliseconds(recorder.longestGap().first));
  std::printf("turns: %zu\n", recorder.turns());
  std::printf("file_mb: %.1f\n", static_cast<double>(written.st_size) / (1024.0 * 1024.0));
  std::printf("errors: %zu\n", host.errorReports() + host.messages());
  return 0;
}

// Runs this program for one size and reads back its key: value lines.
std::map<std::string, double> measure(std::uint64_t rows, const std::string& folder) {
  int output[2];
  if (pipe(output) != 0) die("cannot make a pipe");
  const std::string count = std::to_string(rows);
  const pid_t child = fork();
  if (child < 0) die("cannot fork");
  if (child == 0) {
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    execl("/proc/self/exe", "plovane-spreadsheet-bench", "--child", count.c_str(), folder.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(output[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(output[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die("the run of " + count + " rows failed");
  std::map<std::string, double> figures;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos)
      figures[line.substr(0, colon)] = std::strtod(line.c_str() + colon + 2, nullptr);
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return figures;
}

int usage() {
  std::fprintf(stderr, "usage: plovane-spreadsheet-bench [--rows N] [--small N]\n");
  return 2;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  using namespace plovane::bench;
  setProgramName("plovane-spreadsheet-bench");
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
    std::uint64_t rows = 0;
    if (!parseCount(argv[2], plovane::kSheetRowLimit * 4, rows)) return usage();
    return runChild(rows, argv[3], argc, argv);
  }
  std::uint64_t rows = 1'000'000;
  std::uint64_t small = 10'000;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--rows") == 0 && hasValue) {
      if (!parseCount(argv[++i], plovane::kSheetRowLimit * 4, rows)) return usage();
    } else if (std::strcmp(argv[i], "--small") == 0 && hasValue) {
      if (!parseCount(argv[++i], plovane::kSheetRowLimit * 4, small)) return usage();
    } else {
      return usage();
    }
  }

  const std::string folder = temporaryFolder();
  const auto smallRun = measure(small, folder);
  const auto largeRun = measure(rows, folder);
  removeTree(folder);

  const double ratio = (largeRun.at("peak_mb") - largeRun.at("list_mb")) / smallRun.at("peak_mb");
  std::printf("spreadsheet_rows: %llu\n", static_cast<unsigned long long>(rows));
  std::printf("spreadsheet_seconds: %.3f\n", largeRun.at("seconds"));
  std::printf("spreadsheet_file_mb: %.1f\n", largeRun.at("file_mb"));
  std::printf("spreadsheet_list_mb: %.1f\n", largeRun.at("list_mb"));
  std::printf("spreadsheet_peak_mb: %.1f\n", largeRun.at("peak_mb"));
  std::printf("spreadsheet_small_rows: %llu\n", static_cast<unsigned long long>(small));
  std::printf("spreadsheet_small_peak_mb: %.1f\n", smallRun.at("peak_mb"));
  std::printf("spreadsheet_peak_ratio: %.3f\n", ratio);
  std::printf("spreadsheet_peak_ratio_ok: %s\n", yesNo(ratio <= kPeakRatioTarget));
  std::printf("spreadsheet_longest_gap_ms: %.1f\n", largeRun.at("gap_ms"));
  std::printf("spreadsheet_gap_ok: %s\n", yesNo(largeRun.at("gap_ms") <= kGapTargetMs));
  std::printf("spreadsheet_errors: %.0f\n", largeRun.at("errors") + smallRun.at("errors"));
  return 0;
}
