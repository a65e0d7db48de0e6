#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver_options.h"
#include "end_to_end.h"
#include "platform/win32/owned.h"
#include "platform/win32/wide_text.h"
#include "window/win32/control_ids.h"
#include "window_access.h"

namespace plovane::e2e {

namespace {

using platform::win32::OwnedHandle;
using platform::win32::toUtf8;

constexpr double kRatioTarget = 1.2;
constexpr double kGapTargetMs = 50;
constexpr double kScrollTargetSeconds = 0.5;
constexpr DWORD kRunLimitMs = 600'000;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::wstring quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

OwnedHandle startProgram(std::wstring commandLine, HANDLE output) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                      nullptr, &startup, &started)) {
    throw std::runtime_error("cannot start " + toUtf8(commandLine));
  }
  CloseHandle(started.hThread);
  return OwnedHandle(started.hProcess);
}

std::size_t linesOf(const std::wstring& path) {
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) throw std::runtime_error("cannot read " + toUtf8(path));
  std::size_t lines = 0;
  for (int c; (c = std::fgetc(file)) != EOF;) lines += c == '\n';
  std::fclose(file);
  return lines;
}

// "plovane.com compare --tsv" into a file, from its start to its end.
double timeCommandLine(const DriverOptions& options) {
  const std::wstring& tsv = options.text(L"tsv");
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  OwnedHandle output(CreateFileW(tsv.c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (output.get() == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make " + toUtf8(tsv));
  const auto start = Clock::now();
  const OwnedHandle cli =
      startProgram(quoted(options.text(L"cli")) + L" compare --tsv " +
                       quoted(options.text(L"left")) + L" " + quoted(options.text(L"right")),
                   output.get());
  if (WaitForSingleObject(cli.get(), kRunLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(cli.get(), 2);
    throw std::runtime_error("the command line did not end");
  }
  const double seconds = secondsSince(start);
  output.reset();  // shared with no one until closed
  DWORD status = 0;
  GetExitCodeProcess(cli.get(), &status);
  const std::size_t lines = linesOf(tsv);
  if (status != 1 || lines != static_cast<std::size_t>(options.number(L"rows"))) {
    throw std::runtime_error("the command line ended with status " + std::to_string(status) +
                             " and " + std::to_string(lines) + " rows");
  }
  return seconds;
}

struct WindowRun {
  double allRows = 0;      // seconds from the start to the last row in ListView3
  double firstAnswer = 0;  // seconds from the start to the message loop's first answer
  double longestGapMs = 0;
  double longestGapEnd = 0;  // seconds from the start
  LRESULT rowsBeforeGap = 0;
  int gapsOverTarget = 0;
  double scroll = 0;
  bool lastRowShown = false;
};

HWND formOf(DWORD processId) {
  HWND form = FindWindowW(L"Plovane.Form1", nullptr);
  DWORD owner = 0;
  if (form) GetWindowThreadProcessId(form, &owner);
  return owner == processId ? form : nullptr;
}

// One round trip of a sent message: how long the window's thread went without a pump turn.
double roundTripMs(HWND window, UINT message, LRESULT* result = nullptr) {
  const auto start = Clock::now();
  const LRESULT answer = sendWithin(window, message, 0, 0, std::chrono::seconds(30));
  if (result) *result = answer;
  return secondsSince(start) * 1000;
}

// The last row brought into view, painted, and the loop answering again.
void scrollToEnd(HWND list, int rows, WindowRun& run) {
  const auto start = Clock::now();
  sendWithin(list, WM_VSCROLL, SB_BOTTOM, 0);
  sendWithin(list, LVM_ENSUREVISIBLE, rows - 1, FALSE);
  UpdateWindow(list);
  roundTripMs(list, WM_NULL);
  run.scroll = secondsSince(start);
  const auto top = static_cast<int>(sendWithin(list, LVM_GETTOPINDEX, 0, 0));
  const auto perPage = static_cast<int>(sendWithin(list, LVM_GETCOUNTPERPAGE, 0, 0));
  run.lastRowShown = top + perPage >= rows;
}

void closeWindow(HANDLE process, HWND form) {
  if (form) PostMessageW(form, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 20'000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
}

// "Plovane.exe LEFT RIGHT", probed with sent messages until ListView3 holds every row.
WindowRun timeWindow(const DriverOptions& options) {
  const int rows = options.number(L"rows");
  WindowRun run;
  const auto start = Clock::now();
  const OwnedHandle window =
      startProgram(quoted(options.text(L"exe")) + L" " + quoted(options.text(L"left")) + L" " +
                       quoted(options.text(L"right")),
                   nullptr);
  const DWORD processId = GetProcessId(window.get());
  HWND form = nullptr;
  try {
    if (!waitUntil(60, [&] { return (form = formOf(processId)) != nullptr; })) {
      throw std::runtime_error("Plovane.exe made no window");
    }
    HWND list = GetDlgItem(form, control_ids::controlIdOf("ListView3"));
    roundTripMs(form, WM_NULL);  // the wait for the message loop is the start-up's
    run.firstAnswer = secondsSince(start);
    LRESULT count = 0;
    const auto probe = [&](HWND target, UINT message) {
      const LRESULT before = count;
      const double gap =
          roundTripMs(target, message, message == LVM_GETITEMCOUNT ? &count : nullptr);
      run.gapsOverTarget += gap > kGapTargetMs;
      if (gap <= run.longestGapMs) return;
      run.longestGapMs = gap;
      run.longestGapEnd = secondsSince(start);
      run.rowsBeforeGap = before;
    };
    while (count < rows) {
      probe(form, WM_NULL);
      probe(list, LVM_GETITEMCOUNT);
      if (secondsSince(start) * 1000 > kRunLimitMs)
        throw std::runtime_error("the rows did not come");
    }
    run.allRows = secondsSince(start);
    scrollToEnd(list, rows, run);
  } catch (...) {
    closeWindow(window.get(), form);
    throw;
  }
  closeWindow(window.get(), form);
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

const char* yesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

// Options: --exe and --cli, the two programs; --left, --right and --rows, the trees and the
// rows they give; --tsv, a file for the command's rows; --runs, how many of each (3). The
// runs alternate after one warm-up of the command line; each figure is the median, the gap
// the longest of all runs.
void runSpeedFigures(const DriverOptions& options) {
  const int runs = options.number(L"runs", 3);
  timeCommandLine(options);
  std::vector<double> cli, window, scroll;
  WindowRun worst;
  for (int run = 0; run < runs; ++run) {
    cli.push_back(timeCommandLine(options));
    const WindowRun timed = timeWindow(options);
    window.push_back(timed.allRows);
    scroll.push_back(timed.scroll);
    worst.firstAnswer = std::max(worst.firstAnswer, timed.firstAnswer);
    worst.gapsOverTarget += timed.gapsOverTarget;
    if (timed.longestGapMs > worst.longestGapMs) {
      worst.longestGapMs = timed.longestGapMs;
      worst.longestGapEnd = timed.longestGapEnd;
      worst.rowsBeforeGap = timed.rowsBeforeGap;
    }
    worst.scroll = std::max(worst.scroll, timed.scroll);
    worst.lastRowShown = (run == 0 || worst.lastRowShown) && timed.lastRowShown;
  }
  const double ratio = median(window) / median(cli);
  std::printf("rows: %d\nruns: %d\n", options.number(L"rows"), runs);
  std::printf("cli_seconds: %.3f\nwindow_seconds: %.3f\n", median(cli), median(window));
  std::printf("ratio: %.2f\nratio_target_met: %s\n", ratio, yesNo(ratio <= kRatioTarget));
  std::printf("window_first_answer_seconds: %.3f\n", worst.firstAnswer);
  std::printf("longest_gap_ms: %.1f\ngap_target_met: %s\n", worst.longestGapMs,
              yesNo(worst.longestGapMs <= kGapTargetMs));
  // Where the run was when the longest gap ended, to tell the phase that held the loop.
  std::printf("longest_gap_ended_seconds: %.3f\nlongest_gap_rows_before: %lld\n",
              worst.longestGapEnd, static_cast<long long>(worst.rowsBeforeGap));
  std::printf("gaps_over_target: %d\n", worst.gapsOverTarget);
  std::printf("scroll_seconds: %.3f\nscroll_target_met: %s\nlast_row_shown: %s\n", worst.scroll,
              yesNo(worst.scroll <= kScrollTargetSeconds), yesNo(worst.lastRowShown));
}

}  // namespace plovane::e2e
