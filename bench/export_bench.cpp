// plovane-export-bench: the exports of a large result list, each against the plainest way to
// produce the same bytes, and the window's responsiveness meanwhile. A result list of --rows
// rows (paths of a realistic length, one in a hundred with a non-ASCII name, every row
// checked) is exported with a host that yields as the window's does, turning a Qt event
// loop (offscreen unless QT_QPA_PLATFORM names a platform). It reports:
//   --text       the text report against one fwrite of the same bytes (ratio), and the
//                longest gap between two turns of the event loop while it is written;
//   --clipboard  the clipboard text against the same bytes built by plain appends into a
//                string reserved to size (ratio), the longest gap while it is built, and the
//                whole copy onto the window system's clipboard (time and longest gap).
// Without a part named, every part runs. Seconds depend on the machine and are printed only
// to make the ratios and gaps readable; the best of --runs runs counts.

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "common/shared_text.h"
#include "common/utf.h"
#include "console_host.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "export_rows.h"
#include "turn_recorder.h"
#include "window/qt_export_services.h"
#include "window/yield_throttle.h"

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

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The best wall time and the best processor time of the calling thread (user and system) over
// the runs: on a machine shared with other work the second is the steadier view.
struct Best {
  double seconds = std::numeric_limits<double>::infinity();
  double cpuSeconds = std::numeric_limits<double>::infinity();
  double gapMs = 0;  // the worst over the runs
};

template <class Work>
void keepBest(Best& into, Work&& work) {
  const double cpuStart = threadCpuSeconds();
  const Clock::time_point start = Clock::now();
  work();
  into.seconds = std::min(into.seconds, secondsSince(start));
  into.cpuSeconds = std::min(into.cpuSeconds, threadCpuSeconds() - cpuStart);
}

// The same with the turns of the event loop recorded.
template <class Work>
void keepBestWithTurns(Best& into, Work&& work) {
  TurnRecorder recorder;
  recorder.start();
  keepBest(into, work);
  recorder.stop();
  into.gapMs = std::max(into.gapMs, milliseconds(recorder.longestGap().first));
}

void writeWithOneFwrite(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) die("cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) die("cannot write " + path);
}

void printRatios(const char* key, const Best& measured, const Best& reference) {
  std::printf("%s_seconds: %.3f\n", key, measured.seconds);
  std::printf("%s_reference_seconds: %.3f\n", key, reference.seconds);
  std::printf("%s_ratio: %.2f\n", key, measured.seconds / reference.seconds);
  std::printf("%s_cpu_ratio: %.2f\n", key, measured.cpuSeconds / reference.cpuSeconds);
  std::printf("%s_max_gap_ms: %.1f\n", key, measured.gapMs);
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
    keepBestWithTurns(saved,
                      [&] { SaveListviewProperlySpacedWithoutProgressBar(list, report, host); });
    errorReports += host.errorReports();
    if (run == 0) bytes = fileBytes(report);
    keepBest(fwritten, [&] { writeWithOneFwrite(reference, bytes); });
  }
  std::remove(report.c_str());
  std::remove(reference.c_str());
  // The header line and one line per row: a report cut short would flatter the ratio.
  if (std::count(bytes.begin(), bytes.end(), '\n') != static_cast<long>(list.rowCount()) + 1) {
    die("the report does not hold a line per row");
  }

  const double ratio = saved.seconds / fwritten.seconds;
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
    keepBestWithTurns(built, [&] { text = clipboardText(list, host); });
    keepBest(appended, [&] { appendPieces(pieces, text.size(), plain); });
  }
  if (plain != text) die("the clipboard text differs from the plainly built one");
  plain = std::string();

  QtClipboard clipboard;
  LoopHost host;
  keepBestWithTurns(copied, [&] { CopyListviewToClipboard(list, host, clipboard); });

  const double ratio = built.seconds / appended.seconds;
  std::printf("clipboard_bytes: %zu\n", text.size());
  printRatios("clipboard", built, appended);
  std::printf("clipboard_copy_seconds: %.3f\n", copied.seconds);
  std::printf("clipboard_copy_max_gap_ms: %.1f\n", copied.gapMs);
  const bool met = ratio <= kRatioTarget && built.gapMs <= kGapTargetMs;
  std::printf("clipboard_targets_met: %s\n", yesNo(met));
  return met;
}

void printHelp() {
  std::printf(
      "usage: plovane-export-bench [--text] [--clipboard] [--rows N] [--runs N] [--folder DIR]\n"
      "\n"
      "Exports a result list of --rows rows (default 1000000) with a host that turns a Qt\n"
      "event loop as the window's does, best of --runs (default 3). Prints key: value lines:\n"
      "text_report_ratio, the report against one fwrite of its bytes (target <= 1.5);\n"
      "clipboard_ratio, the clipboard text against plain appends of its bytes (target <= 1.5);\n"
      "*_max_gap_ms, the longest gap between two turns of the event loop (target <= 50).\n"
      "clipboard_copy_* include placing the text on the clipboard, which does not yield.\n"
      "Without --text or --clipboard, both run.\n"
      "\n"
      "  --folder DIR  where the report files are written (default: a temporary folder)\n");
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      printHelp();
      std::exit(0);
    } else if (arg == "--text") {
      options.text = true;
    } else if (arg == "--clipboard") {
      options.clipboard = true;
    } else if (arg == "--rows" && hasValue) {
      if (!parseCount(argv[++i], 50'000'000, options.rows)) return std::nullopt;
    } else if (arg == "--runs" && hasValue) {
      if (!parseCount(argv[++i], 100, options.runs)) return std::nullopt;
    } else if (arg == "--folder" && hasValue) {
      options.folder = argv[++i];
    } else {
      return std::nullopt;
    }
  }
  if (!options.text && !options.clipboard) options.text = options.clipboard = true;
  return options;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char* argv[]) {
  using namespace plovane::bench;
  setProgramName("plovane-export-bench");
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::optional<Options> options = parseOptions(argc, argv);
  if (!options) {
    printHelp();
    return 2;
  }
  QApplication application(argc, argv);
  const bool temporary = options->folder.empty();
  if (temporary) options->folder = temporaryFolder();

  plovane::ResultList list;
  fillResults(list, options->rows);
  std::printf("rows: %" PRIu32 "\n", options->rows);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);

  bool met = true;
  if (options->text) met = benchTextReport(list, *options) && met;
  std::fflush(stdout);
  if (options->clipboard) met = benchClipboard(list, *options) && met;
  std::printf("targets_met: %s\n", yesNo(met));
  if (temporary) removeTree(options->folder);
  return 0;
}
