// The file-system layer on Windows. Only the wide (W) interfaces are called, so every name
// the file system holds takes part; text crosses this layer as UTF-8.

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>

#include "common/failure.h"
#include "common/utf.h"
#include "platform/file_system.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace plovane::platform {

namespace {

using win32::failureFromWindowsError;
using win32::toUtf8;
using win32::toWide;

bool isDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::wstring withFinalSeparator(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
  return path;
}

// A drive's root ("C:\") or a share's root ("\\server\share\").
bool isRootPath(const std::wstring& path) {
  const std::wstring folder = withFinalSeparator(path);
  if (folder.size() == 3 && folder[1] == L':') return true;
  if (folder.rfind(L"\\\\", 0) == 0) {
    std::size_t separators = 0;
    for (std::size_t i = 2; i < folder.size(); ++i) separators += folder[i] == L'\\';
    return separators == 2;
  }
  return false;
}

// The path without its final separators, so that a link is examined as the link itself: with
// the separator the system describes the link's target, which never has the link attribute.
// A root keeps its separator ("C:\" alone is the drive's root; "C:" is its current folder).
std::wstring withoutFinalSeparators(const std::wstring& path) {
  std::size_t end = path.size();
  while (end > 0 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
  if (end == 0 || (end == 2 && path[1] == L':') || isRootPath(path)) return path;
  return path.substr(0, end);
}

// A share of another computer named by its UNC path ("\\server\share", "\\?\UNC\server\share");
// the other "\\?\" and "\\.\" paths name this computer's own volumes and devices.
bool isUncPath(std::wstring_view path) {
  const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) return false;
  if ((path[2] == L'?' || path[2] == L'.') && path.size() >= 4 && isSeparator(path[3])) {
    return path.substr(4, 4) == L"UNC\\";
  }
  return true;
}

// The root of the volume the path lies on ("C:\", a mount point, a share's root); empty when
// the system does not tell.
std::wstring volumeOf(const std::wstring& path) {
  // A volume's path is never longer than a path on it.
  std::wstring volume(std::max<std::size_t>(path.size(), MAX_PATH) + 2, L'\0');
  if (!GetVolumePathNameW(path.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
    return {};
  }
  volume.resize(std::wcslen(volume.c_str()));
  return volume;
}

class Search {
 public:
  explicit Search(const std::wstring& folder) {
    handle_ = FindFirstFileExW((withFinalSeparator(folder) + L"*").c_str(), FindExInfoBasic, &data_,
                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (handle_ == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
        throw failureFromWindowsError(error);
      }
      done_ = true;  // an empty root folder has not even "." to list
    }
  }
  ~Search() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;

  // The next entry other than "." and "..", or null at the end; throws on a read error.
  const WIN32_FIND_DATAW* next() {
    while (!done_) {
      if (!first_ && !FindNextFileW(handle_, &data_)) {
        const DWORD error = GetLastError();
        if (error != ERROR_NO_MORE_FILES) throw failureFromWindowsError(error);
        done_ = true;
        return nullptr;
      }
      first_ = false;
      if (!isDotName(data_.cFileName)) return &data_;
    }
    return nullptr;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data_{};
  bool first_ = true;
  bool done_ = false;
};

std::int64_t fileTimeValue(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

class Win32FileSystem final : public FileSystem {
 public:
  FolderInfo folderInfo(const std::string& path) const override {
    const std::wstring wide = withoutFinalSeparators(toWide(path));
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw failureFromWindowsError(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) throw failureFromWindowsError(ERROR_DIRECTORY);
    FolderInfo info;
    info.attributes = static_cast<int>(attributes);
    info.isRoot = isRootPath(wide);
    info.id = identity(wide);
    return info;
  }

  void forEachEntry(const std::string& folder, const EntryVisitor& visit) const override {
    const std::wstring wideFolder = withFinalSeparator(toWide(folder));
    Search search(wideFolder);
    const PathLimit limit(folder);
    while (const WIN32_FIND_DATAW* entry = search.next()) {
      const std::string name = toUtf8(entry->cFileName);
      const EntryKind kind = (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                 ? EntryKind::kFolder
                                 : EntryKind::kFile;
      if (!limit.fits(name, kind)) continue;
      // A link to a file is a file only when its target can be opened.
      if (kind == EntryKind::kFile && (entry->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
          !canOpen(wideFolder + entry->cFileName)) {
        continue;
      }
      visit(name, kind);
    }
  }

  bool isExistingFile(const std::string& path) const override { return canOpen(toWide(path)); }

  bool isFolder(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::optional<UnixSeconds> lastWriteTime(const std::string& path) const override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) {
      return std::nullopt;
    }
    return unixSecondsOfFileTime(fileTimeValue(data.ftLastWriteTime));
  }

  bool canReadChangeTime(const std::string& path) const override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data) != 0;
  }

  bool allowsConcurrentReads() const override { return true; }

  // The volume's file-system name tells; exFAT keeps finer times and does not count.
  bool hasTwoSecondTimes(const std::string& folder) const override {
    try {
      const std::wstring volume = volumeOf(toWide(folder));
      if (volume.empty()) return false;
      wchar_t name[MAX_PATH + 1] = {};
      if (!GetVolumeInformationW(volume.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name,
                                 MAX_PATH + 1)) {
        return false;
      }
      const std::wstring_view fileSystem(name);
      return fileSystem == L"FAT" || fileSystem == L"FAT32";
    } catch (...) {
      return false;
    }
  }

  // A drive letter may be mapped to a share, which only the drive's type tells.
  bool isRemote(const std::string& folder) const override {
    try {
      const std::wstring wide = toWide(folder);
      if (isUncPath(wide)) return true;
      const std::wstring volume = volumeOf(wide);
      return !volume.empty() && GetDriveTypeW(volume.c_str()) == DRIVE_REMOTE;
    } catch (...) {
      return false;
    }
  }

  std::int64_t utcOffsetSeconds() const override {
    FILETIME universal{};
    FILETIME local{};
    GetSystemTimeAsFileTime(&universal);
    if (!FileTimeToLocalFileTime(&universal, &local)) return 0;
    return (fileTimeValue(local) - fileTimeValue(universal)) / kFileTimeTicksPerSecond;
  }

 private:
  // Opens the path as an existing file with no access rights, as a probe.
  static bool canOpen(const std::wstring& path) {
    const HANDLE file = CreateFileW(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  // The volume and file index, which tell a folder reached through a link from its target.
  static FileId identity(const std::wstring& path) {
    const HANDLE folder =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION information{};
    FileId id;
    if (GetFileInformationByHandle(folder, &information)) {
      id.device = information.dwVolumeSerialNumber;
      id.inode = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) |
                 information.nFileIndexLow;
    }
    CloseHandle(folder);
    return id;
  }
};

}  // namespace

const FileSystem& nativeFileSystem() {
  static const Win32FileSystem fileSystem;
  return fileSystem;
}

std::size_t pathLength(std::string_view path) {
  return utf16Length(path);
}

}  // namespace plovane::platform
