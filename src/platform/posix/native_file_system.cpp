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

bool isDotName(std::string_view name) {
  return name == "." || name == "..";
}

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

  // Whether the entries can be examined. Read permission without search permission lists
  // the names, yet no status behind them can be read; one look at the folder itself through
  // its own descriptor tells, instead of a failing status call per entry.
  bool isSearchable() const {
    struct stat status {};
    return fstatat(descriptor(), ".", &status, 0) == 0;
  }

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

// What an entry is, following links: the entry type where the listing tells it, a status
// call for links and for file systems that leave the type unknown. Nothing for an entry
// whose status cannot be read.
std::optional<EntryKind> kindOf(const Directory& directory, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat status {};
      if (fstatat(directory.descriptor(), entry.d_name, &status, 0) != 0) return std::nullopt;
      return S_ISDIR(status.st_mode) ? EntryKind::kFolder : EntryKind::kFile;
    }
    default:
      return EntryKind::kFile;
  }
}

UnixSeconds lastWriteTimeOf(const struct stat& status) {
  // tv_nsec is never negative, so tv_sec is already the earlier whole second.
  return static_cast<UnixSeconds>(status.st_mtim.tv_sec);
}

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

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
    info.id = {static_cast<std::uint64_t>(status.st_dev),
               static_cast<std::uint64_t>(status.st_ino)};
    return info;
  }

  void forEachEntry(const std::string& folder, const EntryVisitor& visit) const override {
    Directory directory(folder);
    if (!directory.isSearchable()) return;
    const PathLimit limit(folder);
    while (const dirent* entry = directory.next()) {
      const std::optional<EntryKind> kind = kindOf(directory, *entry);
      if (kind && limit.fits(entry->d_name, *kind)) visit(entry->d_name, *kind);
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

  std::optional<UnixSeconds> lastWriteTime(const std::string& path) const override {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    return lastWriteTimeOf(status);
  }

  void lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                      std::span<std::optional<UnixSeconds>> times) const override {
    const Descriptor folder(
        prefix.empty() ? AT_FDCWD : open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!prefix.empty() && folder.get() < 0) {
      FileSystem::lastWriteTimes(prefix, names, times);
      return;
    }
    std::string name;
    for (std::size_t k = 0; k < names.size(); ++k) {
      name.assign(names[k]);
      struct stat status {};
      times[k] = fstatat(folder.get(), name.c_str(), &status, 0) == 0
                     ? std::optional(lastWriteTimeOf(status))
                     : std::nullopt;
    }
  }

  bool canReadChangeTime(const std::string& path) const override {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
  }

  bool allowsConcurrentReads() const override { return true; }

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

std::size_t pathLength(std::string_view path) {
  return path.size();
}

}  // namespace plovane::platform
