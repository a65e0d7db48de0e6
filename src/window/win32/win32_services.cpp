#include "window/win32/win32_services.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "platform/win32/wide_text.h"

namespace plovane {

namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

// The longest path the save dialog can give back.
constexpr DWORD kLongestPath = 32'768;

void showMessageBox(HWND owner, const std::string& title, const std::string& text, UINT icon) {
  MessageBoxW(owner, messageBoxText(text).c_str(), toWide(title).c_str(), MB_OK | icon);
}

// Preselects the folder whose path arrives as the callback's data, once the dialog is ready.
int CALLBACK BrowseCallback(HWND dialog, UINT code, LPARAM, LPARAM initialFolder) {
  if (code == BFFM_INITIALIZED && initialFolder != 0) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, initialFolder);
  }
  return 0;
}

// The clipboard is opened for one change at a time; another program may hold it.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool isOpen() const { return open_; }

 private:
  bool open_;
};

// The text as movable global memory in UTF-16 with its final NUL, as the clipboard takes it.
HGLOBAL globalUnicodeText(const std::string& text) {
  const std::wstring wide = toWide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

std::wstring messageBoxText(const std::string& text) {
  const std::wstring wide = toWide(text);
  std::wstring shown;
  shown.reserve(wide.size());
  for (std::size_t at = 0; at < wide.size(); ++at) {
    if (wide[at] == L'\r' || wide[at] == L'\n') {
      shown += L"\r\n";
      if (wide[at] == L'\r' && at + 1 < wide.size() && wide[at + 1] == L'\n') ++at;
    } else {
      shown += wide[at];
    }
  }
  return shown;
}

void Win32MessageBoxes::plain(const std::string& title, const std::string& text) {
  showMessageBox(owner_, title, text, 0);
}

void Win32MessageBoxes::exclamation(const std::string& title, const std::string& text) {
  showMessageBox(owner_, title, text, MB_ICONEXCLAMATION);
}

std::string Win32FolderBrowser::browseForFolder(const std::string& prompt,
                                                const std::string& initialFolder) {
  const std::wstring title = toWide(prompt);
  const std::wstring initial = toWide(initialFolder);
  BROWSEINFOW dialog{};
  dialog.hwndOwner = owner_;
  dialog.lpszTitle = title.c_str();
  dialog.ulFlags = BIF_RETURNONLYFSDIRS;
  dialog.lpfn = BrowseCallback;
  dialog.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&dialog);
  if (!chosen) return std::string();
  wchar_t path[MAX_PATH + 1] = {};
  const bool known = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  return known ? toUtf8(path) : std::string();
}

void Win32SaveFileDialog::setTitle(const std::string& title) {
  title_ = toWide(title);
}

void Win32SaveFileDialog::setFilter(const std::string& filter) {
  filter_ = filterOf(filter);
}

std::wstring Win32SaveFileDialog::filterOf(const std::string& filter) {
  std::wstring parts = toWide(filter);
  if (!parts.empty() && parts.back() != L'|') parts += L'|';
  for (wchar_t& character : parts) {
    if (character == L'|') character = L'\0';
  }
  parts += L'\0';
  return parts;
}

void Win32SaveFileDialog::showSave() {
  fileName_.clear();
  std::vector<wchar_t> name(kLongestPath, L'\0');
  lastChosen_.copy(name.data(), std::min<std::size_t>(lastChosen_.size(), kLongestPath - 1));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kLongestPath;
  dialog.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  // One file is saved: a save dialog takes no multiple selection.
  dialog.Flags = static_cast<DWORD>(flags_) & ~static_cast<DWORD>(OFN_ALLOWMULTISELECT);
  if (!GetSaveFileNameW(&dialog) || name[0] == L'\0') return;
  lastChosen_ = name.data();
  fileName_ = toUtf8(lastChosen_);
}

bool Win32Clipboard::clear() {
  const OpenClipboardScope clipboard(owner_);
  return clipboard.isOpen() && EmptyClipboard();
}

bool Win32Clipboard::setText(std::string&& text, int format) {
  // Windows makes the 8-bit and OEM text formats from the Unicode one when a program asks.
  if (format != kDefaultTextFormat && format != CF_TEXT && format != CF_UNICODETEXT) return false;
  const OpenClipboardScope clipboard(owner_);
  if (!clipboard.isOpen() || !EmptyClipboard()) return false;
  HGLOBAL memory = globalUnicodeText(text);
  if (!memory) return false;
  if (!SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns the memory now; the text was only read
}

void ShellUrlLauncher::open(const std::string& url) {
  ShellExecuteW(nullptr, L"open", toWide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace plovane
