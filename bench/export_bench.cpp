// plovane-export-bench: the text exports of a large result list, each against the plainest
// way to produce the same bytes, the window's responsiveness meanwhile, and the memory the
// clipboard copy takes (see --help). The list is exported with a host that yields as the
// window's does, turning a Qt event loop. Seconds depend on the machine and are printed only
// to make the ratios and gaps readable.

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "common/result_list.h"
#include "common/utf.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "export_rows.h"
#include "loop_host.h"
#include "peak_memory.h"
#include "turn_recorder.h"
#include "window/qt/qt_export_services.h"

namespace plovane::bench {
namespace {

constexpr double kRatioTarget = 1.5;
constexpr double kGapTargetMs = 50.0;
constexpr double kCopyPeakTarget = 1.5;
constexpr double kCopyKeptTarget = 1.1;

struct Options {
  std::uint64_t rows = 1'000'000;
  int runs = 3;
  bool text = false;
  bool clipboard = false;
};

// The seconds of each run, and the worst gap between two turns of the event loop.
struct Measured {
  std::vector<double> seconds;
  double gapMs = 0;

  template <class Work>
  void timeWithTurns(Work&& work) {
    TurnRecorder recorder;
    recorder.start();
    seconds.push_back(timed(work));
    recorder.stop();
    gapMs = std::max(gapMs, recorder.longestGapMs());
  }
};

// Prints the figures of an export against its reference; true when they met their targets.
bool printRatio(const char* key, const Measured& measured, const std::vector<double>& reference) {
  const double ratio = best(measured.seconds) / best(reference);
  std::printf("%s_seconds: %.3f\n", key, best(measured.seconds));
  std::printf("%s_reference_seconds: %.3f\n", key, best(reference));
  std::printf("%s_ratio: %.2f\n", key, ratio);
  std::printf("%s_max_gap_ms: %.1f\n", key, measured.gapMs);
  return ratio <= kRatioTarget && measured.gapMs <= kGapTargetMs;
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

bool benchTextReport(const ResultList& list, const std::string& folder, int runs) {
  const std::string report = folder + "/report.txt";
  const std::string reference = folder + "/reference.txt";
  Measured saved;
  std::vector<double> fwritten;
  std::string bytes;
  std::size_t errorReports = 0;
  for (int run = 0; run < runs; ++run) {
    LoopHost host;
    saved.timeWithTurns([&] { SaveListviewProperlySpacedWithoutProgressBar(list, report, host); });
    errorReports += host.errorReports();
    if (run == 0) bytes = fileBytes(report);
    fwritten.push_back(timed([&] { writeWithOneFwrite(reference, bytes); }));
  }
  // The header line and one line per row: a report cut short would flatter the ratio.
  if (std::count(bytes.begin(), bytes.end(), '\n') != static_cast<long>(list.rowCount()) + 1) {
    fail("the report does not hold a line per row");
  }
  std::printf("text_report_bytes: %zu\n", bytes.size());
  const bool met = printRatio("text_report", saved, fwritten) && errorReports == 0;
  std::printf("text_report_error_reports: %zu\n", errorReports);
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

bool benchClipboardText(const ResultList& list, int runs) {
  const std::vector<Piece> pieces = clipboardPieces(list);
  Measured built;
  std::vector<double> appended;
  std::string text;
  std::string plain;
  for (int run = 0; run < runs; ++run) {
    LoopHost host;
    text = std::string();  // a fresh text each run, as each copy builds one
    built.timeWithTurns([&] { text = clipboardText(list, host); });
    appended.push_back(timed([&] { appendPieces(pieces, text.size(), plain); }));
  }
  if (plain != text) fail("the clipboard text differs from the plainly built one");
  std::printf("clipboard_bytes: %zu\n", text.size());
  const bool met = printRatio("clipboard", built, appended);
  std::printf("clipboard_targets_met: %s\n", yesNo(met));
  return met;
}

// The memory of one copy onto the window system's clipboard, measured first, while this process
// has done nothing else: a small copy pages in the code, the list is filled, and the peak mark
// is reset there, so that the peak and what stays are the copy's own.
bool benchCopyMemory(ResultList& list, std::uint64_t rows) {
  const auto copy = [](const ResultList& rowsToCopy) {
    LoopHost host;
    QtClipboard clipboard;
    CopyListviewToClipboard(rowsToCopy, host, clipboard);
  };
  {
    ResultList small;
    fillResults(small, 1000);
    copy(small);
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  }
  fillResults(list, rows);
  const long baseline = statusKiB("VmRSS");
  if (!resetPeakResident()) die("cannot reset the peak resident size");
  const double seconds = timed([&] { copy(list); });
  const long peak = statusKiB("VmHWM") - baseline;
  const long kept = statusKiB("VmRSS") - baseline;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  const QByteArray text = data ? data->data(QStringLiteral("text/plain")) : QByteArray();
  if (text.count('\n') != static_cast<qsizetype>(rows)) fail("the clipboard lacks rows");
  QGuiApplication::clipboard()->clear(QClipboard::Clipboard);

  const double textKiB = static_cast<double>(text.size()) / 1024.0;
  const double peakRatio = static_cast<double>(peak) / textKiB;
  const double keptRatio = static_cast<double>(kept) / textKiB;
  std::printf("clipboard_copy_seconds: %.3f\n", seconds);
  std::printf("clipboard_copy_peak_ratio: %.2f\n", peakRatio);
  std::printf("clipboard_kept_ratio: %.2f\n", keptRatio);
  const bool met = peakRatio <= kCopyPeakTarget && keptRatio <= kCopyKeptTarget;
  std::printf("clipboard_copy_targets_met: %s\n", yesNo(met));
  return met;
}

int benchMain(const Options& options, int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  std::printf("rows: %" PRIu64 "\n", options.rows);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);
  const std::string folder = temporaryFolder();
  ResultList list;
  bool met = true;
  if (options.clipboard) {
    met = benchCopyMemory(list, options.rows);
  } else {
    fillResults(list, options.rows);
  }
  if (options.text) met = benchTextReport(list, folder, options.runs) && met;
  if (options.clipboard) met = benchClipboardText(list, options.runs) && met;
  std::printf("targets_met: %s\n", yesNo(met));
  removeTree(folder);
  return 0;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  using namespace plovane::bench;
  Options options;
  CLI::App app(
      "Exports a result list of --rows rows (paths of a realistic length, one in a hundred\n"
      "with a non-ASCII name, every row checked) with a host that turns a Qt event loop as\n"
      "the window's does, offscreen unless QT_QPA_PLATFORM names a platform, best of --runs.\n"
      "Prints key: value lines; *_max_gap_ms is the longest gap between two turns of the\n"
      "event loop (target <= 50). Without --text or --clipboard, both run.\n",
      "plovane-export-bench");
  app.add_flag("--text", options.text,
               "text_report_ratio: the report against one fwrite of its bytes (target <= 1.5)");
  app.add_flag("--clipboard", options.clipboard,
               "first one copy onto the clipboard: clipboard_copy_peak_ratio, its peak memory\n"
               "over the filled list against the text's size (target <= 1.5), and\n"
               "clipboard_kept_ratio, what stays (target <= 1.1); then clipboard_ratio, the\n"
               "text against plain appends of its bytes into a string reserved to size\n"
               "(target <= 1.5)");
  addCount(app, "--rows", options.rows, std::uint64_t(50'000'000), "rows of the result list");
  addCount(app, "--runs", options.runs, 100, "runs of each timed export");
  parseCommandLine(app, argc, argv);
  if (!options.text && !options.clipboard) options.text = options.clipboard = true;
  return benchMain(options, argc, argv);
}
