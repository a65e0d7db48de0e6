// On Windows, and under Wine. Wine's CreateSymbolicLinkW answers success and makes nothing,
// so there a link is made by the host system, at the paths Wine itself maps the Windows
// paths to.

#include "platform/win32/windows_api.h"

#include <atomic>
#include <stdexcept>

#include "host_files.h"
#include "platform/file_system.h"
#include "platform/win32/wide_text.h"

namespace plovane::test::host {

namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

std::int64_t ticksOf(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

// Wine's own translation of a Windows path into the host's, or null when not under Wine.
using UnixFileName = char*(CDECL*)(const wchar_t*);
UnixFileName wineUnixFileName() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return nullptr;
  return reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Wine maps a path whose folders exist; a link may point into folders still to be made.
std::string hostPath(UnixFileName translate, const std::string& path) {
  if (char* unixPath = translate(toWide(path).c_str())) {
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
  }
  const std::string trimmed = path.substr(0, path.find_last_not_of('\\') + 1);
  const std::size_t separator = trimmed.find_last_of('\\');
  if (separator == std::string::npos) {
    throw std::runtime_error("Wine cannot map " + path + " to a host path");
  }
  std::string parent = hostPath(translate, trimmed.substr(0, separator + 1));
  if (parent.empty() || parent.back() != '/') parent += '/';
  return parent + trimmed.substr(separator + 1) + (trimmed.size() < path.size() ? "/" : "");
}

bool isAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || path.rfind("\\\\", 0) == 0;
}

// The host's system calls, made directly: Wine runs a Windows program as a host process, and
// a host program started from it would run detached, with no way to wait for it. Answer 0 or
// the negated error number.
#if defined(__GNUC__) && defined(__x86_64__)
constexpr bool kCanCallHost = true;
long hostSystemCall(long number, const char* first, const char* second = nullptr) {
  long result = 0;
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(first), "S"(second)
               : "rcx", "r11", "memory");
  return result;
}
#else
constexpr bool kCanCallHost = false;  // then links under Wine cannot be made, and are skipped
constexpr long kNoSuchCall = -38;     // -ENOSYS
long hostSystemCall(long, const char*, const char* = nullptr) {
  return kNoSuchCall;
}
#endif
constexpr long kUnlink = 87, kSymlink = 88;  // x86-64 Linux

void makeHostLink(UnixFileName translate, const std::string& link, const std::string& target) {
  std::string hostTarget = target;
  if (isAbsolute(target)) {
    hostTarget = hostPath(translate, target);
  } else {
    for (char& c : hostTarget) c = c == '\\' ? '/' : c;
  }
  const long result =
      hostSystemCall(kSymlink, hostTarget.c_str(), hostPath(translate, link).c_str());
  if (result != 0) {
    throw std::runtime_error("symlink " + link + " failed with error " + std::to_string(-result));
  }
}

std::string folderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of('\\');
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

void makeWindowsLink(const std::string& link, const std::string& target) {
  const std::string resolved = isAbsolute(target) ? target : folderOf(link) + target;
  const DWORD targetAttributes = GetFileAttributesW(toWide(resolved).c_str());
  DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
      (targetAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
  }
  // A link's own attributes are there even when its target is not; a call that answers
  // success without them made nothing.
  if (!CreateSymbolicLinkW(toWide(link).c_str(), toWide(target).c_str(), flags) ||
      GetFileAttributesW(toWide(link).c_str()) == INVALID_FILE_ATTRIBUTES) {
    throw std::runtime_error("CreateSymbolicLinkW made no link at " + link);
  }
}

}  // namespace

std::string makeTemporaryFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t temporary[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = std::wstring(temporary, length) + L"plovane-test-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(counter++);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return toUtf8(folder);
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("no temporary folder could be made");
}

bool setLastWriteTime(const std::string& path, std::int64_t unixSeconds, long nanoseconds) {
  const std::int64_t seconds = unixSeconds + platform::kFileTimeSecondsAtUnixEpoch;
  if (seconds < 0) return false;  // before 1601: no file time holds it
  const std::int64_t ticks = seconds * platform::kFileTimeTicksPerSecond + nanoseconds / 100;
  FILETIME time{static_cast<DWORD>(ticks & 0xffffffff), static_cast<DWORD>(ticks >> 32)};
  const HANDLE file =
      CreateFileW(toWide(path).c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written{};
  const bool set =
      SetFileTime(file, nullptr, &time, &time) && GetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
  return set && nanoseconds % 100 == 0 && ticksOf(written) == ticks;
}

bool canMakeLinks(std::string& reason) {
  if (wineUnixFileName()) {
    if (!kCanCallHost) reason = "under Wine, links are made by a host system call this build lacks";
    return kCanCallHost;
  }
  static const bool possible = [] {
    const std::string probe = makeTemporaryFolder();
    bool made = true;
    try {
      makeWindowsLink(probe + "\\link", probe);
    } catch (const std::runtime_error&) {
      made = false;
    }
    RemoveDirectoryW(toWide(probe + "\\link").c_str());
    RemoveDirectoryW(toWide(probe).c_str());
    return made;
  }();
  if (!possible) {
    reason =
        "this user may not make symbolic links here (Developer Mode or the privilege "
        "to create symbolic links is needed)";
  }
  return possible;
}

void makeLink(const std::string& link, const std::string& target) {
  if (const UnixFileName translate = wineUnixFileName()) {
    makeHostLink(translate, link, target);
  } else {
    makeWindowsLink(link, target);
  }
}

// Wine sees a link to a folder as that folder, so RemoveDirectoryW would not remove it, and a
// removal of the tree would walk into the target.
void removeLink(const std::string& link) noexcept {
  try {
    if (const UnixFileName translate = wineUnixFileName()) {
      hostSystemCall(kUnlink, hostPath(translate, link).c_str());
    } else if (!RemoveDirectoryW(toWide(link).c_str())) {
      DeleteFileW(toWide(link).c_str());
    }
  } catch (const std::exception&) {
    // Left for the system's cleaning of its temporary folder.
  }
}

}  // namespace plovane::test::host
