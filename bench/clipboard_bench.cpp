// plovane-clipboard-bench: the memory "Copy Results To Clipboard" takes for a large result
// list. A list of --rows rows (2,800,000 unless told; paths of a realistic length, every row
// checked) is copied once onto the window system's clipboard (offscreen unless
// QT_QPA_PLATFORM names a platform; under xvfb-run, X11) with a host that yields as the
// window's does. Memory comes from /proc/self/status: the resident size with the list filled
// is the baseline; the peak during the copy and the resident size after it are taken above
// that baseline and divided by the size of the clipboard text in UTF-8. It prints
//   copy_peak_ratio   (target <= 1.5): what the copy needs while it runs;
//   kept_ratio        (target <= 1.1): what the clipboard holds once it is done;
//   paste_peak_ratio  (--paste, X11 only): what another program's paste (xclip) costs.
// --qstring places the text as a QString instead, as the window did before it kept UTF-8.

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "bench_support.h"
#include "common/result_list.h"
#include "export/clipboard.h"
#include "export/clipboard_text.h"
#include "export_rows.h"
#include "window/qt_export_services.h"

namespace plovane::bench {
namespace {

constexpr double kPeakRatioTarget = 1.5;
constexpr double kKeptRatioTarget = 1.1;
constexpr int kPasteTimeoutMs = 300'000;

struct Options {
  std::uint64_t rows = 2'800'000;
  bool qstring = false;
  bool paste = false;
};

// The clipboard as the window placed its text before: converted to UTF-16, and read back
// where the window system does not tell ownership.
class QStringClipboard final : public Clipboard {
 public:
  bool clear() override {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    return true;
  }
  bool setText(std::string&& text, int) override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString placed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    clipboard->setText(placed, QClipboard::Clipboard);
    return clipboard->ownsClipboard() || clipboard->text(QClipboard::Clipboard) == placed;
  }
};

// For what the bench cannot go on without and errno does not describe; exit status 2.
[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "plovane-clipboard-bench: %s\n", what);
  std::exit(2);
}

double megabytes(long kib) {
  return static_cast<double>(kib) / 1024.0;
}

void copyList(const ResultList& list, bool qstring) {
  LoopHost host;
  QtClipboard qtClipboard;
  QStringClipboard qstringClipboard;
  CopyListviewToClipboard(list, host,
                          qstring ? static_cast<Clipboard&>(qstringClipboard) : qtClipboard);
}

// Another program reads the clipboard while this one serves it from its event loop.
bool pasteElsewhere() {
  QProcess xclip;
  xclip.setStandardOutputFile(QProcess::nullDevice());
  QEventLoop loop;
  QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(kPasteTimeoutMs, &loop, &QEventLoop::quit);
  xclip.start(QStringLiteral("xclip"),
              {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
  loop.exec();
  if (xclip.state() != QProcess::NotRunning) {
    xclip.kill();
    xclip.waitForFinished();
    return false;
  }
  return xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0;
}

// The clipboard's text as UTF-8, to size and check it.
QByteArray clipboardBytes() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  return data ? data->data(QStringLiteral("text/plain")) : QByteArray();
}

void run(const Options& options) {
  // The code and Qt's clipboard paged in, so that the peak is the copy's own.
  {
    ResultList small;
    fillResults(small, 1000);
    copyList(small, options.qstring);
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  }

  const long beforeList = statusKiB("VmRSS");
  ResultList list;
  fillResults(list, options.rows);
  const long baseline = statusKiB("VmRSS");
  resetPeakResident();
  const Clock::time_point start = Clock::now();
  copyList(list, options.qstring);
  const double seconds = secondsSince(start);
  const long peak = statusKiB("VmHWM") - baseline;
  const long kept = statusKiB("VmRSS") - baseline;

  std::optional<long> pastePeak;
  if (options.paste) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      fail("--paste needs X11 (run it under xvfb-run with QT_QPA_PLATFORM=xcb)");
    const long beforePaste = statusKiB("VmRSS");
    resetPeakResident();
    if (!pasteElsewhere()) fail("xclip did not read the clipboard");
    pastePeak = statusKiB("VmHWM") - beforePaste;
  }

  const QByteArray text = clipboardBytes();
  if (text.count('\n') != static_cast<qsizetype>(options.rows)) {
    fail("the clipboard does not hold a line per row");
  }
  const double textKiB = static_cast<double>(text.size()) / 1024.0;
  const double peakRatio = static_cast<double>(peak) / textKiB;
  const double keptRatio = static_cast<double>(kept) / textKiB;
  std::printf("way: %s\n", options.qstring ? "qstring" : "utf8");
  std::printf("clipboard_text_bytes: %lld\n", static_cast<long long>(text.size()));
  std::printf("list_mb: %.1f\n", megabytes(baseline - beforeList));
  std::printf("copy_seconds: %.3f\n", seconds);
  std::printf("copy_peak_mb: %.1f\n", megabytes(peak));
  std::printf("copy_peak_ratio: %.2f\n", peakRatio);
  std::printf("kept_mb: %.1f\n", megabytes(kept));
  std::printf("kept_ratio: %.2f\n", keptRatio);
  if (pastePeak) {
    std::printf("paste_peak_mb: %.1f\n", megabytes(*pastePeak));
    std::printf("paste_peak_ratio: %.2f\n", static_cast<double>(*pastePeak) / textKiB);
  }
  const bool met = peakRatio <= kPeakRatioTarget && keptRatio <= kKeptRatioTarget;
  std::printf("targets_met: %s\n", yesNo(met));
}

void printHelp() {
  std::printf(
      "usage: plovane-clipboard-bench [--rows N] [--qstring] [--paste]\n"
      "\n"
      "Copies a result list of --rows rows (default 2800000) onto the clipboard once and\n"
      "prints key: value lines. Memory is measured above the filled list and divided by the\n"
      "size of the clipboard text: copy_peak_ratio, the peak during the copy (target <= 1.5);\n"
      "kept_ratio, what stays after it (target <= 1.1).\n"
      "\n"
      "  --qstring  place the text as a QString, as the window did before\n"
      "  --paste    then have xclip read the clipboard (X11: run under xvfb-run) and print\n"
      "             paste_peak_ratio, the peak meanwhile over the resident size before it\n");
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      printHelp();
      std::exit(0);
    } else if (arg == "--rows" && i + 1 < argc) {
      if (!parseCount(argv[++i], 50'000'000, options.rows)) return std::nullopt;
    } else if (arg == "--qstring") {
      options.qstring = true;
    } else if (arg == "--paste") {
      options.paste = true;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char* argv[]) {
  using namespace plovane::bench;
  setProgramName("plovane-clipboard-bench");
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::optional<Options> options = parseOptions(argc, argv);
  if (!options) {
    printHelp();
    return 2;
  }
  QApplication application(argc, argv);
  std::printf("rows: %" PRIu64 "\n", options->rows);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);
  run(*options);
  return 0;
}
