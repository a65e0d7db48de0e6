#include "platform/win32/windows_error.h"

#include "platform/win32/windows_api.h"

#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"

namespace plovane::platform::win32 {

namespace {

std::string systemText(DWORD error) {
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring_view text(message ? message : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.remove_suffix(1);
  }
  std::string description = toUtf8(text);
  if (message) LocalFree(message);
  if (description.empty()) description = "System error " + std::to_string(error);
  return description;
}

}  // namespace

Failure failureFromWindowsError(unsigned long error) {
  const std::string reason = systemText(error);
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return Failure("Permission denied", failure_code::kPermissionDenied, reason);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return Failure("Path not found", failure_code::kPathNotFound, reason);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Failure("Disk full", failure_code::kDiskFull, reason);
    case ERROR_NOT_READY:
      return Failure("Device unavailable", failure_code::kDeviceError, reason);
    default:
      return Failure(reason, failure_code::kUnknown, reason);
  }
}

}  // namespace plovane::platform::win32
