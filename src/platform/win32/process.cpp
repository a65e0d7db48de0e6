#include "platform/win32/windows_api.h"

#include <io.h>
#include <shellapi.h>

#include "common/failure.h"
#include "common/utf.h"
#include "platform/process.h"
#include "platform/win32/wide_text.h"

namespace plovane::platform {

namespace {

using win32::toUtf8;
using win32::toWide;

}  // namespace

std::vector<std::string> commandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int k = 0; wide && k < count; ++k) arguments.push_back(toUtf8(wide[k]));
  if (wide) LocalFree(wide);
  return arguments;
}

std::string temporaryFolder() {
  std::wstring folder(MAX_PATH + 1, L'\0');
  folder.resize(GetTempPathW(static_cast<DWORD>(folder.size()), folder.data()));
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return toUtf8(folder);
}

std::string makePrivateTemporaryFolder() {
  const std::wstring base = toWide(temporaryFolder()) + L"\\";
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = base + L"plovane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount64() + attempt);
    // A new folder inherits the user's own temporary folder's rights.
    if (CreateDirectoryW(folder.c_str(), nullptr)) return toUtf8(folder);
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw Failure("No temporary folder could be made", failure_code::kPathNotFound);
}

std::string executablePath() {
  std::wstring buffer(32'768, L'\0');
  const DWORD length =
      GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return toUtf8(std::wstring_view(buffer.data(), length));
}

bool isTerminal(int stream) {
  return _isatty(stream) != 0;
}

// The C runtime gives a program started without a console stream no descriptor of that
// number to reuse, so there is nothing to guard.
void guardStandardStreams() {}

}  // namespace plovane::platform
