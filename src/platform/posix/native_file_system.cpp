// The file-system layer on POSIX. Names are the bytes the file system gives; the directory
// listing's entry type tells files from folders without a status call wherever it can.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "common/failure.h"
#include "platform/file_system.h"

namespace plovane::platform {

namespace {

// The path without final separators; empty for the root folder.
std::string_view withoutFinalSeparators(std::string_view path) {
  while (!path.empty() && path.back() == kSeparator) path.remove_suffix(1);
  return path;
}

std::string_view lastComponent(std::string_view path) {
  const std::string_view trimmed = withoutFinalSeparators(path);
  const std::size_t separator = trimmed.rfind(kSeparator);
  return separator == std::string_view::npos ? trimmed : trimmed.substr(separator + 1);
}

bool isDotName(std::string_view name) { return name == "." || name == ".."; }

bool startsHidden(std::string_view name) {
  return !name.empty() && name.front() == '.' && !isDotName(name);
}

class Directory {
 public:
  explicit Directory(const std::string& path) : handle_(opendir(path.c_str())) {
    if (!handle_) throw failureFromErrno(errno);
  }
  ~Directory() { closedir(handle_); }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  int descriptor() const { return dirfd(handle_); }

  // The next entry other than "." and "..", or null at the end; throws on a read error.
  const dirent* next() {
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(handle_);
      if (!entry) {
        if (errno != 0) throw failureFromErrno(errno);
        return nullptr;
      }
      if (!isDotName(entry->d_name)) return entry;
    }
  }

 private:
  DIR* handle_;
};

enum class Kind { kFolder, kFile, kNothing };

// What an entry is, following links: the entry type where the listing tells it, a status
// call for links and for file systems that leave the type unknown.
Kind kindOf(const Directory& directory, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return Kind::kFolder;
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat status {};
      if (fstatat(directory.descriptor(), entry.d_name, &status, 0) != 0) return Kind::kNothing;
      return S_ISDIR(status.st_mode) ? Kind::kFolder : Kind::kFile;
    }
    default:
      return Kind::kFile;
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  FolderInfo folderInfo(const std::string& path) const override {
    const std::string trimmed(withoutFinalSeparators(path));
    const std::string& examined = trimmed.empty() ? path : trimmed;
    struct stat status {};
    if (lstat(examined.c_str(), &status) != 0) throw failureFromErrno(errno);
    const bool link = S_ISLNK(status.st_mode);
    if (link && stat(examined.c_str(), &status) != 0) throw failureFromErrno(errno);
    if (!S_ISDIR(status.st_mode)) throw failureFromErrno(ENOTDIR);

    FolderInfo info;
    info.attributes = attribute::kFolder;
    if (startsHidden(lastComponent(path))) info.attributes |= attribute::kHidden;
    if (link) info.attributes |= attribute::kLink;
    info.isRoot = trimmed.empty() && !path.empty();
    info.id = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    return info;
  }

  void forEachSubFolder(const std::string& folder, const NameVisitor& visit) const override {
    Directory directory(folder);
    while (const dirent* entry = directory.next()) {
      if (kindOf(directory, *entry) == Kind::kFolder) visit(entry->d_name);
    }
  }

  void forEachFile(const std::string& folder, const NameVisitor& visit) const override {
    Directory directory(folder);
    while (const dirent* entry = directory.next()) {
      if (kindOf(directory, *entry) == Kind::kFile) visit(entry->d_name);
    }
  }

  bool isExistingFile(const std::string& path) const override {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
  }

  bool isFolder(const std::string& path) const override {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  }

  std::optional<std::int64_t> lastWriteFileTime(const std::string& path) const override {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    std::int64_t ticks = 0;
    const std::int64_t seconds = static_cast<std::int64_t>(status.st_mtim.tv_sec);
    if (__builtin_add_overflow(seconds, kFileTimeSecondsAtUnixEpoch, &ticks) ||
        __builtin_mul_overflow(ticks, kFileTimeTicksPerSecond, &ticks) ||
        __builtin_add_overflow(ticks, status.st_mtim.tv_nsec / 100, &ticks)) {
      return -1;  // outside the range of a file time: the conversion will fail
    }
    return ticks;
  }

  bool canReadChangeTime(const std::string& path) const override {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
  }

  std::int64_t utcOffsetSeconds() const override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return 0;
    return static_cast<std::int64_t>(local.tm_gmtoff);
  }
};

}  // namespace

const FileSystem& nativeFileSystem() {
  static const PosixFileSystem fileSystem;
  return fileSystem;
}

std::size_t pathLength(std::string_view path) { return path.size(); }

}  // namespace plovane::platform
