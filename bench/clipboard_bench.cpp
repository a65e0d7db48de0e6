// plovane-clipboard-bench: the memory "Copy Results To Clipboard" takes for a large result
// list, copied once onto the window system's clipboard (offscreen unless QT_QPA_PLATFORM
// names a platform; under xvfb-run, X11) with a host that yields as the window's does.
// Memory comes from /proc/self/status: the resident size with the list filled is the
// baseline; the peak during the copy and the resident size after it are taken above that
// baseline and divided by the size of the clipboard text in UTF-8 (see --help).

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QProcess>
#include <QTimer>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "bench_options.h"
#include "bench_support.h"
#include "common/result_list.h"
#include "export/clipboard_text.h"
#include "export_rows.h"
#include "loop_host.h"
#include "peak_memory.h"
#include "window/qt/qt_export_services.h"

namespace plovane::bench {
namespace {

constexpr double kPeakRatioTarget = 1.5;
constexpr double kKeptRatioTarget = 1.1;
constexpr int kPasteTimeoutMs = 300'000;

struct Options {
  std::uint64_t rows = 2'800'000;
  bool paste = false;
};

double megabytes(long kib) {
  return static_cast<double>(kib) / 1024.0;
}

void copyList(const ResultList& list) {
  LoopHost host;
  QtClipboard clipboard;
  CopyListviewToClipboard(list, host, clipboard);
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

void resetPeak() {
  if (!resetPeakResident()) die("cannot reset the peak resident size");
}

void run(const Options& options) {
  // The code and Qt's clipboard paged in, so that the peak is the copy's own.
  {
    ResultList small;
    fillResults(small, 1000);
    copyList(small);
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  }

  const long beforeList = statusKiB("VmRSS");
  ResultList list;
  fillResults(list, options.rows);
  const long baseline = statusKiB("VmRSS");
  resetPeak();
  const double seconds = timed([&] { copyList(list); }).seconds;
  const long peak = statusKiB("VmHWM") - baseline;
  const long kept = statusKiB("VmRSS") - baseline;

  std::optional<long> pastePeak;
  if (options.paste) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      fail("--paste needs X11 (run it under xvfb-run with QT_QPA_PLATFORM=xcb)");
    const long beforePaste = statusKiB("VmRSS");
    resetPeak();
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
  std::printf("way: utf8\n");  // the text placed as it is built, in UTF-8
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

}  // namespace
}  // namespace plovane::bench

int main(int argc, char* argv[]) {
  using namespace plovane::bench;
  Options options;
  CLI::App app(
      "Copies a result list of --rows rows onto the clipboard once and prints key: value\n"
      "lines. Memory is measured above the filled list and divided by the size of the\n"
      "clipboard text: copy_peak_ratio, the peak during the copy (target <= 1.5);\n"
      "kept_ratio, what stays after it (target <= 1.1).\n",
      "plovane-clipboard-bench");
  addCount(app, "--rows", options.rows, std::uint64_t(50'000'000), "rows of the result list");
  app.add_flag("--paste", options.paste,
               "then have xclip read the clipboard (X11: run under xvfb-run) and print\n"
               "paste_peak_ratio, the peak meanwhile over the resident size before it");
  parseCommandLine(app, argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  std::printf("rows: %" PRIu64 "\n", options.rows);
  std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
  std::fflush(stdout);
  run(options);
  return 0;
}
