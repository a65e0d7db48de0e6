// The host of the procedures in the Win32 window: its throttled message pump and its busy
// state.

#include <gtest/gtest.h>

#include "win32_form_rig.h"

namespace plovane::test {
namespace {

constexpr UINT kProbe = WM_APP + 77;

bool probeWaiting(HWND window) {
  MSG message;
  return PeekMessageW(&message, window, kProbe, kProbe, PM_NOREMOVE) != FALSE;
}

TEST(Win32HostTest, YieldPumpsOnlyWhenDueAndBoundsItsTurn) {
  Win32FormRig rig;
  Win32Host& host = rig.form.host();
  const HWND window = rig.form.handle();
  // A tick of the system clock may fall between two quick yields and make the second one
  // due; one of a few tries has none.
  bool secondYieldWaited = false;
  for (int attempt = 0; attempt < 5 && !secondYieldWaited; ++attempt) {
    Sleep(20);
    host.yield();
    PostMessageW(window, kProbe, 0, 0);
    host.yield();
    secondYieldWaited = probeWaiting(window);
    host.pumpMessages();
  }
  EXPECT_TRUE(secondYieldWaited);
  PostMessageW(window, kProbe, 0, 0);
  Sleep(30);
  host.yield();
  EXPECT_FALSE(probeWaiting(window));

  for (int message = 0; message < 1000; ++message) PostMessageW(window, kProbe, 0, 0);
  const int first = host.pumpMessages();
  EXPECT_GT(first, 0);
  EXPECT_LT(first, 1000);
  int total = first;
  for (int turn = 0; turn < 10 && probeWaiting(window); ++turn) total += host.pumpMessages();
  EXPECT_GE(total, 1000);
  // The quit is left for the loop outside the run.
  PostQuitMessage(3);
  host.pumpMessages();
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 3u);
}

TEST(Win32HostTest, BusyStateShowsTheWaitCursorOverTheWindow) {
  Win32FormRig rig;
  Win32Host& host = rig.form.host();
  const auto cursorOver = [&](HWND over) {
    SendMessageW(rig.form.handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  host.setBusy(true);
  EXPECT_TRUE(host.isBusy());
  EXPECT_EQ(cursorOver(rig.form.control("PushButton5")), wait);
  EXPECT_EQ(cursorOver(rig.form.ListView3()), wait);
  host.setBusy(false);
  EXPECT_FALSE(host.isBusy());
  EXPECT_EQ(cursorOver(rig.form.control("PushButton5")), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace plovane::test
