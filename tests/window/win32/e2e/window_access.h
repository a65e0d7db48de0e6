#pragma once

#include "platform/win32/windows_api.h"

#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace plovane::e2e {

using Clock = std::chrono::steady_clock;

// Sends a message to a window of another process and answers its result; throws when the
// window's thread does not take it within the time, which is what a hung window looks like.
LRESULT sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                   std::chrono::milliseconds limit = std::chrono::seconds(10));

// Polls until done() holds; false when the seconds ran out first.
template <class Condition>
bool waitUntil(double seconds, Condition done) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Form1 by its class and caption, once it is visible; null when there is none.
HWND visibleForm1();

// The visible dialogs (class #32770) that the window owns: message boxes, the folder browser,
// the save dialog.
std::vector<HWND> dialogsOwnedBy(HWND owner);

// The button of a dialog or window, clicked as a user's click would be: posted, so that a
// button that opens a modal dialog does not hold the caller until it closes.
void postClick(HWND button);

std::wstring windowText(HWND window);
std::wstring className(HWND window);

// Every top-level window of the process and, for dialogs, the texts of their controls: what
// a failed wait saw.
std::string describeWindowsOf(DWORD processId);

}  // namespace plovane::e2e
