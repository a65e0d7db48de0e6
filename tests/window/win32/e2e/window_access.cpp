#include "window_access.h"

#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace plovane::e2e {

using platform::win32::toUtf8;

LRESULT sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                   std::chrono::milliseconds limit) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                           static_cast<UINT>(limit.count()), &result)) {
    throw std::runtime_error("the window did not answer message 0x" + std::to_string(message) +
                             " within " + std::to_string(limit.count()) + " ms");
  }
  return static_cast<LRESULT>(result);
}

HWND visibleForm1() {
  HWND form = FindWindowW(L"Plovane.Form1", L"Plovane");
  return form && IsWindowVisible(form) ? form : nullptr;
}

std::vector<HWND> dialogsOwnedBy(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } wanted{owner, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        if (GetWindow(window, GW_OWNER) == search.owner && IsWindowVisible(window) &&
            className(window) == L"#32770") {
          search.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

void postClick(HWND button) {
  if (!button || !PostMessageW(button, BM_CLICK, 0, 0)) {
    throw std::runtime_error("cannot click a button that is not there");
  }
}

std::wstring windowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::string describeWindowsOf(DWORD processId) {
  struct Listing {
    DWORD processId;
    std::string text;
  } shown{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& listing = *reinterpret_cast<Listing*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != listing.processId || !IsWindowVisible(window)) return TRUE;
        HWND ownerWindow = GetWindow(window, GW_OWNER);
        listing.text += "  window " + toUtf8(className(window)) + " \"" +
                        toUtf8(windowText(window)) + "\"" +
                        (ownerWindow ? " owned by " + toUtf8(className(ownerWindow)) : "") + "\n";
        if (className(window) != L"#32770") return TRUE;
        for (HWND child = GetWindow(window, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
          listing.text += "    " + toUtf8(className(child)) + " " +
                          std::to_string(GetDlgCtrlID(child)) + " \"" + toUtf8(windowText(child)) +
                          "\"\n";
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown.text.empty() ? "  no visible window\n" : shown.text;
}

}  // namespace plovane::e2e
