#include "server_log.h"

#include "platform/win32/windows_api.h"

#include <utility>

#include "platform/win32/wide_text.h"

namespace plovane::test::fake_excel {

namespace {

std::wstring& logPath() {
  static std::wstring path;
  return path;
}

}  // namespace

void ServerLog::open(std::wstring path) {
  logPath() = std::move(path);
}

void ServerLog::write(std::wstring_view line) {
  const std::string text = platform::win32::toUtf8(line) + "\n";
  const HANDLE file = CreateFileW(logPath().c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // nowhere to tell it; the test sees a gap
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring quoted(std::wstring_view text) {
  std::wstring result = L"\"";
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\':
        result += L"\\\\";
        break;
      case L'"':
        result += L"\\\"";
        break;
      case L'\n':
        result += L"\\n";
        break;
      case L'\r':
        result += L"\\r";
        break;
      case L'\t':
        result += L"\\t";
        break;
      default:
        result += c;
    }
  }
  return result + L"\"";
}

}  // namespace plovane::test::fake_excel
