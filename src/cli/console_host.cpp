#include "cli/console_host.h"

#include "cli/terminal_text.h"
#include "common/utf.h"
#include "platform/clock.h"

namespace plovane::cli {

void ConsoleHost::onProgress(std::function<void()> report, std::int64_t intervalMilliseconds) {
  report_ = std::move(report);
  interval_ = intervalMilliseconds;
  nextReport_ = platform::coarseMonotonicMilliseconds() + interval_;
}

void ConsoleHost::yield() {
  if (!report_) return;
  const std::int64_t now = platform::coarseMonotonicMilliseconds();
  if (now < nextReport_) return;
  nextReport_ = now + interval_;
  report_();
}

void ConsoleHost::showMessage(const std::string& text) {
  ++messages_;
  printLine(errorReportLine(text));
}

void ConsoleHost::showErrorReport(const std::string& text) {
  ++errorReports_;
  printLine("error: " + errorReportLine(text));
}

void ConsoleHost::printLine(const std::string& text) {
  clearProgress();
  std::fprintf(errors_, "plovane: %s\n", shown(text).c_str());
  std::fflush(errors_);
}

void ConsoleHost::clearProgress() {
  if (progressWidth_ == 0) return;
  std::fprintf(errors_, "\r%*s\r", static_cast<int>(progressWidth_), "");
  std::fflush(errors_);
  progressWidth_ = 0;
}

void ConsoleHost::showProgress(const std::string& text) {
  const std::string line = shown(text);
  const std::size_t width = utf16Length(line);
  // Spaces over what is left of a longer line before.
  const int padding = progressWidth_ > width ? static_cast<int>(progressWidth_ - width) : 0;
  std::fprintf(errors_, "\r%s%*s", line.c_str(), padding, "");
  std::fflush(errors_);
  progressWidth_ = width + static_cast<std::size_t>(padding);
}

std::string ConsoleHost::shown(const std::string& text) const {
  return errIsTerminal_ ? visibleControls(text) : text;
}

std::string errorReportLine(const std::string& report) {
  // The report reads: description, CR LF, label and step, CR CR, the request.
  std::string line = report.substr(0, report.find("\r\r"));
  for (std::size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n", at)) {
    line.replace(at, 2, " ");
  }
  for (char& character : line) {
    if (character == '\r' || character == '\n') character = ' ';
  }
  return line;
}

}  // namespace plovane::cli
