#include "window/win32/win32_host.h"

#include "common/error_report.h"
#include "form/message_boxes.h"

namespace plovane {

namespace {

// Enough for the paints, timers and input of one turn; more would delay the run.
constexpr int kMostMessagesPerTurn = 256;

}  // namespace

void dispatchWindowMessage(HWND window, MSG& message) {
  if (window && IsDialogMessageW(window, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

Win32Host::Win32Host(MessageBoxes& boxes, SettingsStore& settings)
    : boxes_(boxes), settings_(settings) {}

void Win32Host::yield() {
  if (!throttle_.due()) return;
  pumpMessages();
  // The interval counts from the end of this turn: a slow turn must not make the next
  // yield due at once, or the work would crawl one item per turn.
  throttle_.restart();
}

int Win32Host::pumpMessages() {
  int dispatched = 0;
  MSG message;
  while (dispatched < kMostMessagesPerTurn && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the loop that waits outside the run.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    dispatchWindowMessage(window_, message);
    ++dispatched;
  }
  return dispatched;
}

void Win32Host::showMessage(const std::string& text) {
  boxes_.plain(applicationTitle_, text);
}

void Win32Host::showErrorReport(const std::string& text) {
  boxes_.exclamation(std::string(kErrorReportTitle), text);
}

void Win32Host::setBusy(bool busy) {
  busy_ = busy;
  // The window answers WM_SETCURSOR from the state; this shows it before the mouse moves.
  POINT mouse{};
  HWND under = window_ && GetCursorPos(&mouse) ? WindowFromPoint(mouse) : nullptr;
  if (under && GetAncestor(under, GA_ROOT) == window_) {
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
  }
}

}  // namespace plovane
