#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The file-system layer: one interface, one implementation per operating system
// (posix/ and win32/). No header here includes a system header. Paths are UTF-8 text; on
// POSIX they hold a name's bytes exactly as the file system gave them.
namespace plovane::platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
// Paths this long or longer are not descended into.
inline constexpr std::size_t kPathLimit = 260;
// Names came through a code page that marks a lost character with "?".
inline constexpr bool kQuestionMarkIsLostCharacter = true;
#else
inline constexpr char kSeparator = '/';
inline constexpr std::size_t kPathLimit = 4096;  // PATH_MAX
inline constexpr bool kQuestionMarkIsLostCharacter = false;
#endif

// Folder attribute bits. POSIX has 16 for a folder, +2 when its name starts with ".",
// +1024 for a symbolic link, and never 4.
namespace attribute {
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kFolder = 16;
inline constexpr int kLink = 1024;
}  // namespace attribute

// Identifies a folder on its device, so that a link back to an ancestor can be recognised.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  // False when the platform could not tell the identity.
  bool isKnown() const noexcept { return device != 0 || inode != 0; }
  friend bool operator==(const FileId&, const FileId&) = default;
};

struct FolderInfo {
  int attributes = 0;
  bool isRoot = false;  // a drive's root folder ("/" on POSIX)
  FileId id;
};

// A last-write time as the platform reports it: whole seconds since 1 January 1970,
// universal time, the fraction dropped toward the earlier second. Unlike a Windows file time
// it holds every time a POSIX file system can store, years before 1601 and after 30827
// included, so every such time orders by its true value.
using UnixSeconds = std::int64_t;

// Windows file time: 100-nanosecond ticks since 1 January 1601, universal time.
inline constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;
inline constexpr std::int64_t kFileTimeSecondsAtUnixEpoch = 11'644'473'600;

constexpr UnixSeconds unixSecondsOfFileTime(std::int64_t ticks) noexcept {
  std::int64_t seconds = ticks / kFileTimeTicksPerSecond;
  if (ticks % kFileTimeTicksPerSecond < 0) --seconds;  // toward the earlier second
  return seconds - kFileTimeSecondsAtUnixEpoch;
}

enum class EntryKind { kFile, kFolder };

// One folder read in one pass (see FileSystem::readFolder).
struct FolderReading {
  struct SubFolder {
    std::string name;
    std::optional<FolderInfo> info;  // as folderInfo answers for the sub-folder's path
    std::exception_ptr infoFailure;  // or what it throws
  };
  std::vector<SubFolder> subFolders;
  std::vector<std::string> files;
  // The last-write time of each file; only read when the whole listing could be read.
  std::vector<std::optional<UnixSeconds>> times;
  // What forEachEntry throws; the entries before the failure are kept.
  std::exception_ptr listingFailure;
};

using NameVisitor = std::function<void(std::string_view name)>;
using EntryVisitor = std::function<void(std::string_view name, EntryKind kind)>;

// Failures are thrown as plovane::Failure with code 70 (permission denied), 76 (path not
// found) or another code; probes that answer a question never throw.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The attributes, root flag and identity of a folder, following links.
  // Throws when the path cannot be examined or is not a folder.
  virtual FolderInfo folderInfo(const std::string& path) const = 0;

  // Calls visit for each entry of the folder that is a folder or an existing file (see
  // isExistingFile), hidden ones included, in the order of the directory listing, following
  // links; an entry that is neither, such as a dangling link, is passed over. "." and ".."
  // are not listed, nor is an entry whose path is too long to be opened by name (see
  // PathLimit). A folder whose names can be listed but whose entries cannot be examined
  // (no search permission) has no entry that qualifies. Throws when the folder cannot be
  // listed; entries visited before the failure stay visited.
  virtual void forEachEntry(const std::string& folder, const EntryVisitor& visit) const = 0;

  // The direct sub-folders of forEachEntry.
  virtual void forEachSubFolder(const std::string& folder, const NameVisitor& visit) const;

  // The files of forEachEntry.
  virtual void forEachFile(const std::string& folder, const NameVisitor& visit) const;

  // True when the path names an entry that is not a folder and whose status (following
  // links) can be read. Never throws.
  virtual bool isExistingFile(const std::string& path) const = 0;

  // True when the path is a folder (following links). Never throws.
  virtual bool isFolder(const std::string& path) const = 0;

  // The last-write time, following links; nothing when the status cannot be read.
  // Never throws.
  virtual std::optional<UnixSeconds> lastWriteTime(const std::string& path) const = 0;

  // The last-write times of several files of one folder at once: times[k] for
  // prefix + names[k], where prefix is a folder and the separator. A platform can then
  // look each name up relative to the open folder instead of walking the whole path.
  virtual void lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                              std::span<std::optional<UnixSeconds>> times) const;

  // The entries of forEachEntry in its order, each file with its last-write time (as
  // lastWriteTimes reads it) and each sub-folder examined (as folderInfo examines its path):
  // what reading a tree ahead needs of each folder. The folder ends with the separator.
  // Never throws. A platform can read it all through one open of the folder, looking each
  // name up relative to it.
  virtual FolderReading readFolder(const std::string& folder) const;

  // True when the date and time of last change of the path can be read. Never throws.
  virtual bool canReadChangeTime(const std::string& path) const = 0;

  // True when the folder lies on a file system that keeps last-write times in 2-second
  // steps (FAT), so that a file copied there can read up to 2 seconds off its original.
  // False when it cannot tell. Never throws.
  virtual bool hasTwoSecondTimes(const std::string& /*folder*/) const { return false; }

  // True when the folder lies on a network share, or on a user-space file system that is not
  // a disk of this computer: there every call waits on a round trip, and a tree is read
  // faster by many threads at once. False when it cannot tell. Never throws.
  virtual bool isRemote(const std::string& /*folder*/) const { return false; }

  // The computer's current offset from universal time, in seconds (east positive).
  virtual std::int64_t utcOffsetSeconds() const = 0;

  // True when its calls may run on several threads at once, so that a run can read ahead
  // with worker threads. A file system that calls back into the window must say no.
  virtual bool allowsConcurrentReads() const { return false; }
};

// The operating system's file system.
const FileSystem& nativeFileSystem();

// The length of a path as the path limit counts it: bytes on POSIX, UTF-16 units on Windows.
std::size_t pathLength(std::string_view path);

// Which entries of one folder can be opened by their full path: the folder, a separator
// where the folder has none, the name, and for a folder the final separator, stay under the
// path limit. An entry past it is left out of a listing, file or folder alike, as a folder
// path past it is not descended into. The folder is measured once, not once per entry.
class PathLimit {
 public:
  explicit PathLimit(std::string_view folder);
  bool fits(std::string_view name, EntryKind kind) const;

 private:
  std::size_t folderLength_;  // with one separator after it
};

}  // namespace plovane::platform
