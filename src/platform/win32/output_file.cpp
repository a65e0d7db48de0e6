// Output files on Windows: opened through the wide interface, so that every name the file
// system holds can be written to, written beside their target and put in its place when
// complete; report text in the ANSI code page.

#include "platform/win32/windows_api.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace plovane::platform {

namespace {

using win32::failureFromWindowsError;
using win32::toWide;

bool isAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

class RemovalList;
RemovalList& removalList();

// The temporary files that the console's Ctrl-C, break or close must not leave behind. The
// handler runs on a thread of its own while the program goes on, hence the lock. The files
// are open for deleting, so the handler can remove them while they are still open.
class RemovalList {
 public:
  int arm(std::wstring path) {
    static std::once_flag installed;
    std::call_once(installed, [] { SetConsoleCtrlHandler(onConsoleEvent, TRUE); });
    const std::lock_guard lock(mutex_);
    for (std::size_t k = 0; k < paths_.size(); ++k) {
      if (paths_[k].empty()) {
        paths_[k] = std::move(path);
        return static_cast<int>(k);
      }
    }
    paths_.push_back(std::move(path));
    return static_cast<int>(paths_.size() - 1);
  }

  void disarm(int k) {
    if (k < 0) return;
    const std::lock_guard lock(mutex_);
    paths_[static_cast<std::size_t>(k)].clear();
  }

  void removeArmed() {
    const std::lock_guard lock(mutex_);
    for (const std::wstring& path : paths_) {
      if (!path.empty()) DeleteFileW(path.c_str());
    }
  }

 private:
  // Answers "not handled", so the system then ends the program as it would have.
  static BOOL WINAPI onConsoleEvent(DWORD) {
    removalList().removeArmed();
    return FALSE;
  }

  std::mutex mutex_;
  std::vector<std::wstring> paths_;
};

// Never destroyed: the console's handler may still run while the program ends.
RemovalList& removalList() {
  static RemovalList* const list = new RemovalList();
  return *list;
}

[[noreturn]] void throwLastError() {
  throw failureFromWindowsError(GetLastError());
}

[[noreturn]] void throwErrno(int error) {
  throw failureFromErrno(error != 0 ? error : EIO);
}

// A name no other file is likely to have: the clock, the process and a count, mixed.
std::wstring uniqueSuffix(unsigned attempt) {
  static unsigned long long counter = 0;
  unsigned long long value = GetTickCount64() * 0x9E3779B97F4A7C15ull ^
                             (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                             (++counter << 8) ^ attempt;
  value ^= value >> 29;
  value *= 0xBF58476D1CE4E5B9ull;
  value ^= value >> 32;
  constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
  std::wstring suffix = L".";
  for (int k = 0; k < 6; ++k, value /= 36) suffix += kDigits[value % 36];
  return suffix;
}

HANDLE openForExamining(const std::wstring& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A device ("NUL", "CON") or a pipe: nothing that could be put in its place.
bool isWrittenDirectly(const std::wstring& path) {
  const HANDLE handle = openForExamining(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  return type != FILE_TYPE_DISK;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
  const std::wstring wideTarget = toWide(target_);
  const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw failureFromErrno(EISDIR);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && isWrittenDirectly(wideTarget)) {
    direct_ = true;
    temporary_ = target_;
    stream_ = _wfopen(wideTarget.c_str(), L"wb");
    if (!stream_) throwErrno(errno);
    return;
  }
  const std::wstring prefix = toWide(temporarySiblingPrefix(target_));
  for (unsigned attempt = 0;; ++attempt) {
    const std::wstring path = prefix + uniqueSuffix(attempt);
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS && attempt < 100) continue;
      throwLastError();
    }
    temporary_ = win32::toUtf8(path);
    removalSlot_ = removalList().arm(path);
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
      CloseHandle(handle);
      discard();
      throwErrno(EMFILE);
    }
    stream_ = _fdopen(descriptor, "wb");
    if (!stream_) {
      const int error = errno;
      _close(descriptor);
      discard();
      throwErrno(error);
    }
    return;
  }
}

ReplacingFile::~ReplacingFile() {
  discard();
}

void ReplacingFile::commit() {
  if (!stream_) throw Failure("No file is open to write to");
  // Whatever fails, the target stays as it was and the temporary file goes.
  const auto giveUp = [this](const Failure& failure) {
    discard();
    throw failure;
  };
  errno = 0;
  if (std::fflush(stream_) != 0) giveUp(failureFromErrno(errno != 0 ? errno : EIO));
  if (!direct_) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_)));
    if (!FlushFileBuffers(handle)) giveUp(failureFromWindowsError(GetLastError()));
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  errno = 0;
  if (std::fclose(stream) != 0) giveUp(failureFromErrno(errno != 0 ? errno : EIO));
  if (direct_) return;
  const std::wstring wideTarget = toWide(target_);
  const std::wstring wideTemporary = toWide(temporary_);
  // Replacing keeps the target's attributes and security; a new target is simply moved in.
  const bool exists = GetFileAttributesW(wideTarget.c_str()) != INVALID_FILE_ATTRIBUTES;
  const bool replaced = exists && ReplaceFileW(wideTarget.c_str(), wideTemporary.c_str(), nullptr,
                                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced && !MoveFileExW(wideTemporary.c_str(), wideTarget.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    giveUp(failureFromWindowsError(GetLastError()));
  }
  removalList().disarm(std::exchange(removalSlot_, -1));
  temporary_.clear();
}

void ReplacingFile::discard() noexcept {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!direct_ && !temporary_.empty()) DeleteFileW(toWide(temporary_).c_str());
  removalList().disarm(std::exchange(removalSlot_, -1));
  temporary_.clear();
}

std::optional<FileId> fileIdentity(const std::string& path) {
  const HANDLE handle = openForExamining(toWide(path));
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const BOOL known = GetFileInformationByHandle(handle, &information);
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileId{
      information.dwVolumeSerialNumber,
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// Names that differ in case alone find the same file.
bool isSameFileName(std::string_view a, std::string_view b) {
  const std::wstring wideA = toWide(a);
  const std::wstring wideB = toWide(b);
  return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                              static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

void removeUnfinishedFiles() noexcept {
  removalList().removeArmed();
}

QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  const int nowhere = _open("NUL", _O_WRONLY);
  if (nowhere < 0) return;
  saved_ = _dup(2);
  if (saved_ >= 0) _dup2(nowhere, 2);
  _close(nowhere);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  _dup2(saved_, 2);
  _close(saved_);
}

std::string_view inReportEncoding(std::string_view text, std::string& scratch) {
  // Every ANSI code page keeps the ASCII characters as they are.
  if (isAscii(text)) return text;
  const std::wstring wide = toWide(text);
  const int wideSize = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  scratch.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, scratch.data(), size, nullptr, nullptr);
  return scratch;
}

}  // namespace plovane::platform
