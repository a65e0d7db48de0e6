// plovane-export-bench: the exports of a large result list, each against the plainest way to
// produce the same bytes, and the window's responsiveness meanwhile (see --help). The list
// is exported with a host that yields as the window's does, turning a Qt event loop.
// Seconds depend on the machine and are printed only to make the ratios and gaps readable.

#include <QApplication>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "bench_options.h"
#include "bench_support.h"
#include "common/result_list.h"
#include "common/utf.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "export_rows.h"
#include "loop_host.h"
#include "turn_recorder.h"
#include "window/qt/qt_export_services.h"

namespace plovane::bench {
namespace {

constexpr double kRatioTarget = 1.5;
constexpr double kGapTargetMs = 50.0;

struct Options {
  std::uint32_t rows = 1'000'000;
  int runs = 3;
  bool text = false;
  bool clipboard = false;
  std::string folder;
};

// The best wall time and the best processor time of the calling thread over the runs, and the
// worst gap between two turns of the event loop.
struct Best {
  Runs runs;
  double gapMs = 0;

  template <class Work>
  void time(Work&& work) {
    runs.add(timed(work));
  }
  template <class Work>
  void timeWithTurns(Work&& work) {
    TurnRecorder recorder;
    recorder.start();
    time(work);
    recorder.stop();
    gapMs = std::max(gapMs, milliseconds(recorder.longestGap().first));
  }
};

void printRatios(const char* key, const Best& measured, const Best& reference) {
  std::printf("%s_seconds: %.3f\n", key, measured.runs.best());
  std::printf("%s_reference_seconds: %.3f\n", key, reference.runs.best());
  std::printf("%s_ratio: %.2f\n", key, measured.runs.best() / reference.runs.best());
  std::printf("%s_cpu_ratio: %.2f\n", key, measured.runs.bestCpu() / reference.runs.bestCpu());
  std::printf("%s_max_gap_ms: %.1f\n", key, measured.gapMs);
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWithOneFwrite(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) die("cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) die("cannot write " + path);
}

bool benchTextReport(const ResultList& list, const Options& options) {
  const std::string report = options.folder + "/report.txt";
  const std::string reference = options.folder + "/reference.txt";
  Best saved;
  Best fwritten;
  std::string bytes;
  std::size_t errorReports = 0;
  for (int run = 0; run < options.runs; ++run) {
    LoopHost host;
    saved.timeWithTurns([&] { SaveListviewProperlySpacedWithoutProgressBar(list, report, host); });
    errorReports += host.errorReports();
    if (run == 0) bytes = fileBytes(report);
    fwritten.time([&] { writeWithOneFwrite(reference, bytes); });
  }
  std::remove(report.c_str());
  std::remove(reference.c_str());
  // The header line and one line per row: a report cut short would flatter the ratio.
  if (std::count(bytes.begin(), bytes.end(), '\n') != static_cast<long>(list.rowCount()) + 1) {
    fail("the report does not hold a line per row");
  }

  const double ratio = saved.runs.best() / fwritten.runs.best();
  std::printf("text_report_bytes: %zu\n", bytes.size());
  printRatios("text_report", saved, fwritten);
  std::printf("text_report_error_reports: %zu\n", errorReports);
  const bool met = ratio <= kRatioTarget && saved.gapMs <= kGapTargetMs && errorReports == 0;
  std::printf("text_report_targets_met: %s\n", yesNo(met));
  return met;
}

// The clipboard text in the pieces a plain builder would append: each cell, the spaces that
// pad it and what follows it (a tab, or the line end after the trimmed last cell).
struct Piece {
  std::string_view text;
  std::uint32_t spaces;
  std::string_view after;
};

std::vector<Piece> clipboardPieces(const ResultList& list) {
  const std::size_t columns = list.columnCount();
  std::vector<std::size_t> widths(columns, 0);
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < columns; ++column) {
      widths[column] = std::max(widths[column], utf16Length(list.cell(row, column).view()));
    }
  }
  std::vector<Piece> pieces;
  pieces.reserve(list.rowCount() * columns);
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column + 1 < columns; ++column) {
      const std::string_view cell = list.cell(row, column).view();
      const auto spaces = static_cast<std::uint32_t>(widths[column] - utf16Length(cell));
      pieces.push_back({cell, spaces, "\t"});
    }
    std::string_view last = list.cell(row, columns - 1).view();
    while (!last.empty() && last.back() == ' ') last.remove_suffix(1);
    pieces.push_back({last, 0, "\r\n"});
  }
  return pieces;
}

void appendPieces(const std::vector<Piece>& pieces, std::size_t size, std::string& out) {
  out.clear();
  out.shrink_to_fit();
  out.reserve(size);
  for (const Piece& piece : pieces) {
    out += piece.text;
    out.append(piece.spaces, ' ');
    out += piece.after;
  }
}

bool benchClipboard(const ResultList& list, const Options& options) {
  const std::vector<Piece> pieces = clipboardPieces(list);
  Best built;
  Best appended;
  Best copied;
  std::string text;
  std::string plain;
  for (int run = 0; run < options.runs; ++run) {
    LoopHost host;
    // A fresh text each run, as each copy builds one.
    text = std::string();
    built.timeWithTurns([&] { text = clipboardText(list, host); });
    appended.time([&] { appendPieces(pieces, text.size(), plain); });
  }
  if (plain != text) fail("the clipboard text differs from the plainly built one");
  plain = std::string();

  QtClipboard clipboard;
  LoopHost host;
  copied.timeWithTurns([&] { CopyListviewToClipboard(list, host, clipboard); });

  const double ratio = built.runs.best() / appended.runs.best();
  std::printf("clipboard_bytes: %zu\n", text.size());
  printRatios("clipboard", built, appended);
  std::printf("clipboard_copy_seconds: %.3f\n", copied.runs.best());
  std::printf("clipboard_copy_max_gap_ms: %.1f\n", copied.gapMs);
  const bool met = ratio <= kRatioTarget && built.gapMs <= kGapTargetMs;
  std::printf("clipboard_targets_met: %s\n", yesNo(met));
  return met;
}

void parseOptions(Options& options, int argc, char** argv) {
  CLI::App app(
      "Exports a result list of --rows rows (paths of a realistic length, one in a hundred\n"
      "with a non-ASCII name, every row checked) with a host that turns a Qt event loop as\n"
      "the window's does (offscreen unless QT_QPA_PLATFORM names a platform), best of --runs.\n"
      "Prints key: value lines: text_report_ratio, the report against one fwrite of its bytes\n"
      "(target <= 1.5); clipboard_ratio, the clipboard text against plain appends of its\n"
      "bytes into a string reserved to size (target <= 1.5); *_cpu_ratio the same in\n"
      "processor time; *_max_gap_ms, the longest gap between two turns of the event loop\n"
      "(target <= 50). clipboard_copy_* include placing the text on the clipboard, which\n"
      "does not yield. Without --text or --clipboard, both run.\n",
      "plovane-export-bench");
  app.add_flag("--text", options.text, "the text report");
  app.add_flag("--clipboard", options.clipboard, "the clipboard text, and the copy");
  addCount(app, "--rows", options.rows, 50'000'000u, "rows of the result list");
  addCount(app, "--runs", options.runs, 100, "runs of each export");
  app.add_option("--folder", options.folder,
                 "where the report files are written (default: a temporary folder)");
  parseCommandLine(app, argc, argv);
  if (!options.text && !options.clipboard) options.text = options.clipboard = true;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char* argv[]) {
  using namespace plovane::bench;
  Options options;
  parseOptions(options, argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool temporary = options.folder.empty();
  if (temporary) options.folder = temporaryFolder();

  plovane::ResultList list;
  fillResults(list, options.rows);
  std::printf("rows: %" PRIu32 "\n", options.rows);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);

  bool met = true;
  if (options.text) met = benchTextReport(list, options) && met;
  std::fflush(stdout);
  if (options.clipboard) met = benchClipboard(list, options) && met;
  std::printf("targets_met: %s\n", yesNo(met));
  if (temporary) removeTree(options.folder);
  return 0;
}
