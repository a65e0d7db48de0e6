#include "form1_session.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <stdexcept>
#include <vector>

#include "platform/win32/wide_text.h"
#include "window/win32/control_ids.h"
#include "window_access.h"

namespace plovane::e2e {

namespace {

using platform::win32::toUtf8;

constexpr double kDialogSeconds = 20;
constexpr double kEffectSeconds = 20;
// A message box's text control.
constexpr int kMessageBoxText = 0xFFFF;

bool hasChildOfClass(HWND dialog, const wchar_t* name) {
  return FindWindowExW(dialog, nullptr, name, nullptr) != nullptr;
}

// The first edit control below the window, at any depth.
HWND editBelow(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        if (className(child) != L"Edit") return TRUE;
        *reinterpret_cast<HWND*>(data) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The save dialog's file name box: the edit inside the combo box cmb13 of the Explorer-style
// dialog (a ComboBoxEx32 that holds a ComboBox under Wine), or the edit edt1 of the older one.
HWND fileNameEdit(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, cmb13)) return editBelow(combo);
  return GetDlgItem(dialog, edt1);
}

// The text of the tree view's selected item; empty when none is selected.
std::wstring selectedItemText(HWND tree, HANDLE process) {
  const auto selected = sendWithin(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  if (!selected) return {};
  constexpr std::size_t kChars = MAX_PATH;
  RemoteBlock block(process, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(selected);
  item.pszText = reinterpret_cast<LPWSTR>(block.at(sizeof item));
  item.cchTextMax = kChars;
  block.write(0, &item, sizeof item);
  if (!sendWithin(tree, TVM_GETITEMW, 0, block.at(0))) return {};
  std::wstring text(kChars, L'\0');
  block.read(sizeof item, text.data(), kChars * sizeof(wchar_t));
  text.resize(text.find(L'\0'));
  return text;
}

bool fileHasContent(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
         (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

bool clipboardHasText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
}

bool emptyClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  const bool emptied = EmptyClipboard() != FALSE;
  CloseClipboard();
  return emptied;
}

std::wstring clipboardText() {
  if (!OpenClipboard(nullptr)) throw std::runtime_error("cannot open the clipboard");
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

Form1Session::Form1Session(double seconds) {
  if (!waitUntil(seconds, [&] { return (form_ = visibleForm1()) != nullptr; })) {
    throw std::runtime_error("no visible window of class Plovane.Form1 titled \"Plovane\" within " +
                             std::to_string(static_cast<int>(seconds)) + " s");
  }
  GetWindowThreadProcessId(form_, &processId_);
  process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                 PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                             FALSE, processId_));
  if (!process_) throw std::runtime_error("cannot open the window's process");
}

HWND Form1Session::control(std::string_view name) const {
  HWND found = GetDlgItem(form_, control_ids::controlIdOf(name));
  if (!found) throw std::runtime_error("Form1 has no control " + std::string(name));
  return found;
}

RemoteListView Form1Session::list(std::string_view name) const {
  return RemoteListView(control(name), process());
}

void Form1Session::failOnMessageBox() const {
  for (HWND dialog : dialogsOwnedBy(form_)) {
    if (HWND text = GetDlgItem(dialog, kMessageBoxText)) {
      throw std::runtime_error("a message box \"" + toUtf8(windowText(dialog)) +
                               "\" says: " + toUtf8(windowText(text)));
    }
  }
}

void Form1Session::waitFor(const std::string& what, double seconds,
                           const std::function<bool()>& done,
                           const std::function<std::string()>& seen) const {
  const bool held = waitUntil(seconds, [&] {
    failOnMessageBox();
    return done();
  });
  if (!held) {
    throw std::runtime_error("no " + what + " within " + std::to_string(static_cast<int>(seconds)) +
                             " s" + (seen ? "; " + seen() : ""));
  }
}

HWND Form1Session::waitForDialog(const std::string& what,
                                 const std::function<bool(HWND)>& isIt) const {
  HWND found = nullptr;
  waitFor(what, kDialogSeconds, [&] {
    for (HWND dialog : dialogsOwnedBy(form_)) {
      if (isIt(dialog)) found = dialog;
    }
    return found != nullptr;
  });
  return found;
}

void Form1Session::chooseFolder(std::string_view button, std::string_view listName,
                                const std::wstring& folder) {
  postClick(control(button));
  HWND browser = waitForDialog("folder browser after a click on " + std::string(button),
                               [](HWND dialog) { return hasChildOfClass(dialog, WC_TREEVIEWW); });
  selectInBrowser(browser, folder);
  postClick(GetDlgItem(browser, IDOK));
  const RemoteListView chosen = list(listName);
  const std::wstring row = folder + L"\\";
  waitFor(
      std::string(listName) + " row " + toUtf8(row), kEffectSeconds,
      [&] { return !IsWindow(browser) && chosen.rowCount() == 1 && chosen.cellText(0, 0) == row; },
      [&] {
        const int rows = chosen.rowCount();
        return std::string(IsWindow(browser) ? "the browser is open, " : "") +
               std::string(listName) + " has " + std::to_string(rows) + " rows" +
               (rows > 0 ? ", the first " + toUtf8(chosen.cellText(0, 0)) : "");
      });
}

// The browser's own message for a path, whose text must lie in the browser's process. Under
// Wine a browser may still select its root after taking the message while its tree fills
// (seen in a fresh prefix), so the message is sent until the tree shows the folder selected.
void Form1Session::selectInBrowser(HWND browser, const std::wstring& folder) const {
  RemoteBlock path(process(), (folder.size() + 1) * sizeof(wchar_t));
  path.write(0, folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
  HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
  waitFor(
      "selection of " + toUtf8(folder) + " in the folder browser", kDialogSeconds,
      [&] {
        sendWithin(browser, BFFM_SETSELECTIONW, TRUE, path.at(0));
        return selectedItemText(tree, process()) == name;
      },
      [&] { return "it selects \"" + toUtf8(selectedItemText(tree, process())) + "\""; });
}

void Form1Session::saveResultsAs(const std::wstring& path) {
  DeleteFileW(path.c_str());
  postClick(control("PushButton6"));
  HWND dialog = waitForDialog("save dialog after a click on PushButton6",
                              [](HWND candidate) { return fileNameEdit(candidate) != nullptr; });
  sendWithin(fileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  postClick(GetDlgItem(dialog, IDOK));
  waitFor("file " + toUtf8(path) + " from the save dialog", kEffectSeconds,
          [&] { return !IsWindow(dialog) && fileHasContent(path); });
}

std::wstring Form1Session::copyResults() {
  waitFor("empty clipboard", kEffectSeconds, emptyClipboard);
  postClick(control("PushButton10"));
  waitFor("text on the clipboard after a click on PushButton10", kEffectSeconds, clipboardHasText);
  return clipboardText();
}

void Form1Session::close() {
  PostMessageW(form_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process(), 10'000) != WAIT_OBJECT_0) {
    throw std::runtime_error("Plovane.exe did not end within 10 s of WM_CLOSE");
  }
}

}  // namespace plovane::e2e
