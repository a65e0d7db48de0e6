// The file-system layer on POSIX. Names are the bytes the file system gives; the directory
// listing's entry type tells files from folders without a status call wherever it can.

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <sstream>

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

// An open folder whose entries are read in large batches straight from the kernel, with no
// status call for the stream itself.
class Directory {
 public:
  struct Entry {
    const char* name;
    unsigned char type;  // DT_DIR, DT_LNK, DT_UNKNOWN, ...
  };

  explicit Directory(const std::string& path)
      : descriptor_(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (descriptor_ < 0) throw failureFromErrno(errno);
  }
  ~Directory() { close(descriptor_); }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  int descriptor() const { return descriptor_; }

  // Whether the entries can be examined. Read permission without search permission lists
  // the names, yet no status behind them can be read; one look at the folder itself through
  // its own descriptor tells, instead of a failing status call per entry.
  bool isSearchable() const {
    struct stat status {};
    return fstatat(descriptor_, ".", &status, 0) == 0;
  }

  // The next entry other than "." and "..", or nothing at the end; throws on a read error.
  std::optional<Entry> next() {
    for (;;) {
      if (offset_ == filled_) {
        const ssize_t filled = getdents64(descriptor_, buffer_, sizeof buffer_);
        if (filled < 0) throw failureFromErrno(errno);
        if (filled == 0) return std::nullopt;
        filled_ = static_cast<std::size_t>(filled);
        offset_ = 0;
      }
      const auto* entry = reinterpret_cast<const dirent64*>(buffer_ + offset_);
      offset_ += entry->d_reclen;
      if (!isDotName(entry->d_name)) return Entry{entry->d_name, entry->d_type};
    }
  }

 private:
  int descriptor_;
  alignas(dirent64) char buffer_[32768];
  std::size_t filled_ = 0;
  std::size_t offset_ = 0;
};

// What an entry is, following links: the entry type where the listing tells it, a status
// call for links and for file systems that leave the type unknown. Nothing for an entry
// whose status cannot be read.
std::optional<EntryKind> kindOf(const Directory& directory, const Directory::Entry& entry) {
  switch (entry.type) {
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat status {};
      if (fstatat(directory.descriptor(), entry.name, &status, 0) != 0) return std::nullopt;
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

// The information of a folder from its status (links followed).
FolderInfo folderInfoOf(const struct stat& status, bool link, std::string_view name, bool isRoot) {
  FolderInfo info;
  info.attributes = attribute::kFolder;
  if (startsHidden(name)) info.attributes |= attribute::kHidden;
  if (link) info.attributes |= attribute::kLink;
  info.isRoot = isRoot;
  info.id = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
  return info;
}

// Reads one folder for FileSystem::readFolder through one open of it: every status call
// names the entry relative to the open folder, and the status that tells what a link is
// also gives the file's time. The search permission is looked at only when a status call
// is refused, not once per folder.
class FolderReader {
 public:
  explicit FolderReader(const std::string& folder) : directory_(folder), limit_(folder) {}

  // False when the folder turns out not to be searchable: then no entry of it qualifies.
  bool readAll(FolderReading& reading) {
    while (const std::optional<Directory::Entry> entry = directory_.next()) {
      if (!read(*entry, reading)) return false;
    }
    return true;
  }

 private:
  bool read(const Directory::Entry& entry, FolderReading& reading) {
    switch (entry.type) {
      case DT_DIR:
        if (limit_.fits(entry.name, EntryKind::kFolder)) return readFolderEntry(entry, reading);
        return true;
      case DT_LNK:
      case DT_UNKNOWN:
        return readLinkOrUnknown(entry, reading);
      default:
        return readFile(entry.name, reading);
    }
  }

  bool readFile(const char* name, FolderReading& reading) {
    if (!limit_.fits(name, EntryKind::kFile)) return true;
    struct stat status {};
    std::optional<UnixSeconds> time;
    if (statusOf(name, 0, status)) {
      time = lastWriteTimeOf(status);
    } else if (isRefusedHere()) {
      return false;
    }
    addFile(name, time, reading);
    return true;
  }

  bool readFolderEntry(const Directory::Entry& entry, FolderReading& reading) {
    FolderReading::SubFolder& sub = reading.subFolders.emplace_back();
    sub.name = entry.name;
    struct stat status {};
    if (!statusOf(entry.name, AT_SYMLINK_NOFOLLOW, status)) {
      if (isRefusedHere()) return false;
      sub.infoFailure = std::make_exception_ptr(failureFromErrno(errno));
      return true;
    }
    const bool link = S_ISLNK(status.st_mode);
    if (link && !statusOf(entry.name, 0, status)) {
      sub.infoFailure = std::make_exception_ptr(failureFromErrno(errno));
    } else if (!S_ISDIR(status.st_mode)) {
      sub.infoFailure = std::make_exception_ptr(failureFromErrno(ENOTDIR));
    } else {
      sub.info = folderInfoOf(status, link, entry.name, false);
    }
    return true;
  }

  // What the entry leads to decides its kind, as forEachEntry decides it; an entry whose
  // status cannot be read is passed over.
  bool readLinkOrUnknown(const Directory::Entry& entry, FolderReading& reading) {
    struct stat status {};
    if (!statusOf(entry.name, 0, status)) return !isRefusedHere();
    if (!S_ISDIR(status.st_mode)) {
      if (limit_.fits(entry.name, EntryKind::kFile)) {
        addFile(entry.name, lastWriteTimeOf(status), reading);
      }
      return true;
    }
    if (!limit_.fits(entry.name, EntryKind::kFolder)) return true;
    struct stat own {};
    const bool link = entry.type == DT_LNK ||
                      (statusOf(entry.name, AT_SYMLINK_NOFOLLOW, own) && S_ISLNK(own.st_mode));
    FolderReading::SubFolder& sub = reading.subFolders.emplace_back();
    sub.name = entry.name;
    sub.info = folderInfoOf(status, link, entry.name, false);
    return true;
  }

  bool statusOf(const char* name, int flags, struct stat& status) const {
    return fstatat(directory_.descriptor(), name, &status, flags) == 0;
  }

  // After a refused status call: whether the folder itself refuses every look behind its
  // names (no search permission), rather than just this entry's link target.
  bool isRefusedHere() {
    if (errno != EACCES) return false;
    const int refusal = errno;
    if (!searchable_) searchable_ = directory_.isSearchable();
    errno = refusal;
    return !*searchable_;
  }

  static void addFile(const char* name, std::optional<UnixSeconds> time, FolderReading& reading) {
    reading.files.emplace_back(name);
    reading.times.push_back(time);
  }

  Directory directory_;
  const PathLimit limit_;
  std::optional<bool> searchable_;
};

// The type of the mount whose device is the given one, as the mount table names it
// ("fuse.fusefat"); empty when no mount has it.
std::string mountTypeOf(dev_t device) {
  const std::string wanted = std::to_string(major(device)) + ':' + std::to_string(minor(device));
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  while (std::getline(table, line)) {
    // "36 35 0:39 / /mnt rw,relatime shared:1 - fuse.fusefat fusefat rw,user_id=0"
    std::istringstream fields(line);
    std::string mountId, parentId, majorMinor;
    fields >> mountId >> parentId >> majorMinor;
    const std::size_t separator = line.find(" - ");
    if (majorMinor != wanted || separator == std::string::npos) continue;
    std::istringstream rest(line.substr(separator + 3));
    std::string type;
    rest >> type;
    return type;
  }
  return {};
}

// The file system a folder lies on: its statfs type and, for FUSE, whose volumes all share
// one type, the mount table's name of it ("fuse.fusefat", "fuseblk"). Nothing when the folder
// cannot be examined.
struct VolumeType {
  unsigned long magic = 0;
  std::string mountType;  // FUSE only
};

std::optional<VolumeType> volumeTypeOf(const std::string& folder) {
  struct statfs volume {};
  if (statfs(folder.c_str(), &volume) != 0) return std::nullopt;
  VolumeType type{static_cast<unsigned long>(volume.f_type), {}};
  if (type.magic != FUSE_SUPER_MAGIC) return type;
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0) return std::nullopt;
  try {
    type.mountType = mountTypeOf(status.st_dev);
  } catch (...) {
    return std::nullopt;
  }
  return type;
}

// A FUSE file system that serves a FAT volume: "fuse.fusefat" and the like. exFAT keeps
// finer times and does not count.
bool isFatFuseType(std::string type) {
  std::transform(type.begin(), type.end(), type.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t dot = type.find('.');
  if (dot == std::string::npos) return false;
  const std::string_view kind = std::string_view(type).substr(0, dot);
  const std::string_view subtype = std::string_view(type).substr(dot + 1);
  if (kind != "fuse" && kind != "fuseblk") return false;
  return subtype.find("fat") != std::string_view::npos &&
         subtype.find("exfat") == std::string_view::npos;
}

// The statfs types of the file systems that answer from another machine.
constexpr unsigned long kNetworkFileSystemTypes[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2 and 3
    0x564C,      // NCP
    0x73757245,  // Coda
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x01021997,  // 9P
    0x00C36400,  // Ceph
    0x0BD00BD0,  // Lustre
    0x47504653,  // GPFS
    0xAAD7AAEA,  // PanFS
    0x13661366,  // OrangeFS
};

// FUSE counts as remote too, its calls go through a program, unless it serves a block device
// of this computer ("fuseblk": NTFS or exFAT on a local disk), which only the mount table
// tells apart.
bool isRemoteFileSystem(unsigned long type, std::string_view mountType) {
  if (type == FUSE_SUPER_MAGIC) return mountType != "fuseblk";
  return std::find(std::begin(kNetworkFileSystemTypes), std::end(kNetworkFileSystemTypes), type) !=
         std::end(kNetworkFileSystemTypes);
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
    return folderInfoOf(status, link, lastComponent(path), trimmed.empty() && !path.empty());
  }

  void forEachEntry(const std::string& folder, const EntryVisitor& visit) const override {
    Directory directory(folder);
    if (!directory.isSearchable()) return;
    const PathLimit limit(folder);
    while (const std::optional<Directory::Entry> entry = directory.next()) {
      const std::optional<EntryKind> kind = kindOf(directory, *entry);
      if (kind && limit.fits(entry->name, *kind)) visit(entry->name, *kind);
    }
  }

  FolderReading readFolder(const std::string& folder) const override {
    FolderReading reading;
    try {
      FolderReader reader(folder);
      if (!reader.readAll(reading)) return {};
    } catch (...) {
      reading.listingFailure = std::current_exception();
      reading.times.clear();
    }
    return reading;
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

  bool hasTwoSecondTimes(const std::string& folder) const override {
    const std::optional<VolumeType> type = volumeTypeOf(folder);
    if (!type) return false;
    if (type->magic == MSDOS_SUPER_MAGIC) return true;  // vfat and msdos alike
    return type->magic == FUSE_SUPER_MAGIC && isFatFuseType(type->mountType);
  }

  bool isRemote(const std::string& folder) const override {
    const std::optional<VolumeType> type = volumeTypeOf(folder);
    return type && isRemoteFileSystem(type->magic, type->mountType);
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

std::size_t pathLength(std::string_view path) {
  return path.size();
}

}  // namespace plovane::platform
